#include "host/Commands.h"

#include "host/DemoPhrase.h"
#include "host/FileAccess.h"
#include "host/plugin/LibraryPlayers.h"
#include "host/plugin/MidiProcessor.h"
#include "host/plugin/PluginLibrary.h"
#include "host/render/PianoRoll.h"

#include <string>
#include <vector>

namespace quorlin::host {

namespace {

constexpr const char* demoSpeed = "40";

} // namespace

void runDemoCommand(const CommandLine& line, std::ostream& out) {
    std::vector<std::string> outputs{line.output};
    if (!line.svg.empty()) {
        outputs.push_back(line.svg);
    }
    checkOutputs({}, outputs, line.force);
    PluginLibrary library(pluginPathOf(line));
    std::string speed = line.speed.value_or(demoSpeed);
    EventLog log;
    LibraryPlayers players([&library] { return library.createModule(); }, speed);
    MidiProcessor processor(players, &log);
    std::vector<std::uint8_t> phrase = demoPhrase().serialize();
    MidiFileView view = MidiFileView::open(phrase);
    MidiFileWriter writer(view.format(), view.division(), view.trackCount());
    processor.process(view, writer);
    std::vector<std::uint8_t> bytes = writer.take();
    MidiFile result = MidiFile::parse(bytes);
    std::string picture;
    std::vector<OutputFile> files{{line.output, bytes}};
    if (!line.svg.empty()) {
        PianoRoll roll("Quorlin demo",
                       "A legato run, detached notes, a chord and a repeated key through the "
                       "plug-in, portamento speed " +
                           speed,
                       barsOf(line));
        picture = roll.svg(result);
        files.push_back({line.svg, bytesOf(picture)});
    }
    writeFilesAtomically(files);

    out << "A legato run (C4 to G4, each note overlapping the next), three detached notes,\n"
           "a C major chord and E4 struck four times, through the plug-in with the\n"
           "portamento speed set to "
        << speed
        << ".\n"
           "Controller 65 turns portamento on (127) only while another key is held;\n"
           "controller 5 carries the speed.\n\n";
    log.print(out);
    out << "\nWrote " << line.output << '\n';
    if (!line.svg.empty()) {
        out << "Wrote " << line.svg << ": the piano roll\n";
    }
}

} // namespace quorlin::host
