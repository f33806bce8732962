// libFuzzer entry: bytes through the host's MIDI file reader. Whatever parses must survive the
// writer and read back the same, then go through the real plug-in (or the legato core, with
// playing options), the event log and the piano roll, whose SVG must be well-formed XML; played
// as it is read, track by track, it must give the same bytes.

#include "host/midi/MidiFile.h"
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
    quorlin::host::EventLog log;
    quorlin::host::MidiProcessor processor([] { return library.createModule(); }, speed, &log,
                                           choice, playing);
    MidiFile result = processor.process(file);
    if (result.tracks.size() != file.tracks.size()) {
        finding("the processor changed the number of tracks");
    }
    std::vector<std::uint8_t> resultBytes = result.serialize();
    if (!(MidiFile::parse(resultBytes) == result)) {
        finding("the processed file does not read back");
    }
    // Played track by track as it is read, the file gives the very bytes of the held result.
    auto view = quorlin::host::MidiFileView::open({data, size});
    quorlin::host::MidiFileWriter writer(view.format(), view.division(), view.trackCount(), size);
    quorlin::host::MidiProcessor([] { return library.createModule(); }, speed, nullptr, choice,
                                 playing)
        .process(view, writer);
    if (writer.take() != resultBytes) {
        finding("playing the file as it is read gives other bytes than holding it");
    }
    std::ostringstream table;
    log.print(table);
    std::string svg =
        quorlin::host::PianoRoll("fuzz", "caption").svg(result, processor.processedChannels());
    if (!wellFormedXml(svg)) {
        finding("the piano roll is not well-formed XML");
    }
    return 0;
}
