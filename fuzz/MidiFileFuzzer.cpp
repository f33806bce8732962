// libFuzzer entry: bytes through the host's MIDI file reader. Whatever parses must survive the
// writer and read back the same, then go through the real plug-in (or the legato core, with
// playing options), the event log and the piano roll, whose SVG must be well-formed XML. With
// the options at their defaults, the core must give the plug-in's bytes, in both views.

#include "host/midi/MidiFile.h"
#include "host/plugin/BankPlayers.h"
#include "host/plugin/LibraryPlayers.h"
#include "host/plugin/MidiProcessor.h"
#include "host/plugin/PluginLibrary.h"
#include "host/render/PianoRoll.h"

#include <libxml/parser.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept;

namespace {

using quorlin::host::MidiFile;
using quorlin::host::MidiFileError;

[[noreturn]] void finding(const char* what) {
    std::fprintf(stderr, "midi file finding: %s\n", what);
    std::abort();
}

bool wellFormedXml(const std::string& text) {
    xmlDocPtr document =
        xmlReadMemory(text.data(), static_cast<int>(text.size()), "roll.svg", nullptr,
                      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
    bool ok = document != nullptr;
    xmlFreeDoc(document);
    return ok;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static quorlin::host::PluginLibrary library(GetPluginFactory, "linked plug-in");
    MidiFile file;
    try {
        file = MidiFile::parse({data, size});
    } catch (const MidiFileError&) {
        return 0;
    }
    std::vector<std::uint8_t> written = file.serialize();
    MidiFile again = MidiFile::parse(written);
    if (!(again == file)) {
        finding("the file read back from the writer differs from the one read");
    }
    if (again.serialize() != written) {
        finding("writing the file read back gives other bytes");
    }

    // The speed and the channel choice come from the file's own size, so both vary.
    std::string speed = size % 3 == 0 ? "Off" : std::to_string(size % 128);
    quorlin::host::ChannelChoice choice;
    if (size % 2 == 0) {
        choice.chooseChannels("all", "--channels");
    }
    // Every fourth size plays through the legato core with a chord window and on-change mode.
    quorlin::host::PlayingOptions playing;
    if (size % 4 == 1) {
        playing.chordWindow = static_cast<std::uint32_t>(size % 101);
        playing.portamentoOnChange = size % 8 == 1;
    }
    using quorlin::host::MidiProcessor;
    MidiProcessor::View view =
        size % 5 == 0 ? MidiProcessor::View::PerTrack : MidiProcessor::View::Synthesizer;
    auto play = [&](quorlin::host::ChannelPlayers& players, quorlin::host::EventLog* log,
                    std::vector<std::uint16_t>* processed) {
        auto input = quorlin::host::MidiFileView::open({data, size});
        quorlin::host::MidiFileWriter writer(input.format(), input.division(), input.trackCount());
        MidiProcessor processor(players, log, choice, view);
        processor.process(input, writer);
        if (processed != nullptr) {
            *processed = processor.processedChannels();
        }
        return writer.take();
    };
    quorlin::host::EventLog log;
    std::vector<std::uint16_t> processed;
    quorlin::host::BankPlayers bank(speed, playing);
    std::vector<std::uint8_t> resultBytes;
    if (playing.atDefaults()) {
        quorlin::host::LibraryPlayers plugin([] { return library.createModule(); }, speed);
        resultBytes = play(plugin, &log, &processed);
        if (play(bank, nullptr, nullptr) != resultBytes) {
            finding("the legato core at its defaults gives other bytes than the plug-in");
        }
    } else {
        resultBytes = play(bank, &log, &processed);
    }
    MidiFile result = MidiFile::parse(resultBytes);
    if (result.tracks.size() != file.tracks.size()) {
        finding("the processor changed the number of tracks");
    }
    std::ostringstream table;
    log.print(table);
    std::string svg = quorlin::host::PianoRoll("fuzz", "caption").svg(result, processed);
    if (!wellFormedXml(svg)) {
        finding("the piano roll is not well-formed XML");
    }
    return 0;
}
