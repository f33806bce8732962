#include "host/Commands.h"

#include "host/FileAccess.h"
#include "host/HostError.h"
#include "host/plugin/MidiProcessor.h"
#include "host/render/PianoRoll.h"
#include "host/plugin/PluginLibrary.h"

#include <filesystem>

namespace quorlin::host {

namespace {

std::size_t eventCount(const MidiFile& file) {
    std::size_t count = 0;
    for (const MidiTrack& track : file.tracks) {
        count += track.events.size();
    }
    return count;
}

} // namespace

void runProcessCommand(const CommandLine& line, std::ostream& out) {
    MidiFile input;
    try {
        input = MidiFile::parse(readFile(line.input));
    } catch (const MidiFileError& error) {
        throw HostError(line.input + ": " + error.what());
    }
    PluginLibrary library(pluginPathOf(line));
    EventLog log;
    MidiProcessor processor([&library] { return library.createModule(); }, line.speed,
                            line.log ? &log : nullptr);
    MidiFile result = processor.process(input);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = result.serialize();
    } catch (const MidiFileError& error) {
        throw HostError(line.output + ": " + error.what());
    }
    std::string picture;
    std::vector<OutputFile> files{{line.output, bytes}};
    if (!line.svg.empty()) {
        std::string name = std::filesystem::path(line.input).filename().string();
        PianoRoll roll("Quorlin: " + name, name + " through the plug-in, portamento speed " +
                                               line.speed.value_or("left at Off") +
                                               "; written to " + line.output);
        picture = roll.svg(result);
        files.push_back({line.svg, bytesOf(picture)});
    }
    writeFilesAtomically(files);

    if (line.log) {
        log.print(out);
        out << '\n';
    }
    std::size_t processed = 0;
    for (const MidiTrack& track : input.tracks) {
        processed += MidiProcessor::holdsNotes(track) ? 1 : 0;
    }
    out << "Wrote " << line.output << ": format " << result.format << ", " << result.tracks.size()
        << " track(s), " << processed << " through the plug-in, " << eventCount(input)
        << " events in, " << eventCount(result) << " out\n";
    if (!line.svg.empty()) {
        out << "Wrote " << line.svg << ": the piano roll\n";
    }
}

} // namespace quorlin::host
