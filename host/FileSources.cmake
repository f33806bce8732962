# The sources of quorlin-host's `process` for one file that build for any target, the browser's
# too: the option parsing, FileRun's steps, the file format, the loop with the channel bank's
# players, and the piano roll. Paths from the project's root. host/CMakeLists.txt builds them
# into the program; web/CMakeLists.txt into the page's module.
set(QUORLIN_HOST_FILE_SOURCES
    host/CommandLine.cpp
    host/FileRun.cpp
    host/midi/MidiFile.cpp
    host/midi/NoteLengths.cpp
    host/midi/TempoMap.cpp
    host/plugin/BankChannel.cpp
    host/plugin/BankPlayers.cpp
    host/plugin/ChannelChoice.cpp
    host/plugin/EventLog.cpp
    host/plugin/MidiProcessor.cpp
    host/render/BarGrid.cpp
    host/render/ControllerStrips.cpp
    host/render/GlideOrigins.cpp
    host/render/KeyAxis.cpp
    host/render/KeySpelling.cpp
    host/render/NoteLayer.cpp
    host/render/PianoRoll.cpp
    host/render/PictureHeader.cpp
    host/render/RollTrack.cpp
    host/render/SvgWriter.cpp
    host/render/TimeLabel.cpp
    host/render/TrackDrawing.cpp
    host/render/TrackHeading.cpp)
list(TRANSFORM QUORLIN_HOST_FILE_SOURCES PREPEND "${PROJECT_SOURCE_DIR}/")
