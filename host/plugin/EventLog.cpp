#include "host/plugin/EventLog.h"

#include "legato/MidiProtocol.h"

#include <array>
#include <cstdio>
#include <iomanip>

namespace quorlin::host {

namespace {

constexpr int inColumnWidth = 40;
// Text events show their printable ASCII; anything else, line breaks included, reads "?".
constexpr std::uint8_t firstPrintable = 0x20;
constexpr std::uint8_t lastPrintable = 0x7F;

// One row of the table; the columns are as wide as the header's, longer text widens its row.
void printRow(std::ostream& out, const std::string& tick, const std::string& track,
              const std::string& in, const std::string& sent) {
    out << std::setw(10) << tick << "  " << std::setw(5) << track << "  " << std::left
        << std::setw(inColumnWidth) << in << std::right << "  " << sent << '\n';
}

std::string controllerMeaning(std::uint8_t controller, std::uint8_t value) {
    switch (controller) {
    case midi::controllerPortamentoTime:
        return "  portamento time";
    case midi::controllerPortamento:
        return value >= 64 ? "  portamento on" : "  portamento off";
    case 7:
        return "  volume";
    case 64:
        return value >= 64 ? "  sustain on" : "  sustain off";
    default:
        return "";
    }
}

std::string printable(const MidiPayload& bytes) {
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += byte >= firstPrintable && byte < lastPrintable ? static_cast<char>(byte) : '?';
    }
    return text;
}

std::string describeMeta(const MidiEvent& event) {
    const MidiPayload& data = event.payload;
    char text[96];
    switch (event.metaType()) {
    case midi::metaText:
        return "Meta Text \"" + printable(data) + "\"";
    case midi::metaTrackName:
        return "Meta Track Name \"" + printable(data) + "\"";
    case midi::metaInstrumentName:
        return "Meta Instrument \"" + printable(data) + "\"";
    case midi::metaLyric:
        return "Meta Lyric \"" + printable(data) + "\"";
    case midi::metaMarker:
        return "Meta Marker \"" + printable(data) + "\"";
    case MidiEvent::tempoType:
        if (data.size() == 3) {
            unsigned microseconds = (data[0] << 16) | (data[1] << 8) | data[2];
            std::snprintf(text, sizeof text, "Meta Tempo %.2f bpm",
                          microseconds == 0 ? 0.0 : 60000000.0 / microseconds);
            return text;
        }
        break;
    case midi::metaTimeSignature:
        if (data.size() == 4) {
            std::snprintf(text, sizeof text, "Meta Time Signature %u/%u", data[0],
                          1u << (data[1] & 0x1F));
            return text;
        }
        break;
    default:
        break;
    }
    std::snprintf(text, sizeof text, "Meta 0x%02X (%zu bytes)", event.metaType(), data.size());
    return text;
}

} // namespace

std::string EventLog::noteName(std::uint8_t note) {
    static constexpr std::array<const char*, 12> names = {"C",  "C#", "D",  "D#", "E",  "F",
                                                          "F#", "G",  "G#", "A",  "A#", "B"};
    return std::string(names[note % 12]) + std::to_string(note / 12 - 1);
}

std::string EventLog::describe(const MidiEvent& event) {
    char text[96];
    if (event.isMeta()) {
        return describeMeta(event);
    }
    if (event.status == MidiEvent::sysExStatus || event.status == MidiEvent::escapeStatus) {
        std::snprintf(text, sizeof text, "%s (%zu bytes)",
                      event.status == MidiEvent::sysExStatus ? "SysEx" : "SysEx Escape",
                      event.payload.size());
        return text;
    }
    int channel = event.channel() + 1;
    switch (event.command()) {
    case midi::statusNoteOff:
    case midi::statusNoteOn: {
        const char* kind = event.isNoteOn() ? "Note On " : "Note Off";
        std::snprintf(text, sizeof text, "%s  ch %-2d %-4s(%u)  vel %u", kind, channel,
                      noteName(event.data1).c_str(), event.data1, event.data2);
        return text;
    }
    case midi::statusPolyPressure:
        std::snprintf(text, sizeof text, "Key Pressure  ch %-2d %s  %u", channel,
                      noteName(event.data1).c_str(), event.data2);
        return text;
    case midi::statusController:
        std::snprintf(text, sizeof text, "Control   ch %-2d #%u = %u%s", channel, event.data1,
                      event.data2, controllerMeaning(event.data1, event.data2).c_str());
        return text;
    case midi::statusProgramChange:
        std::snprintf(text, sizeof text, "Program   ch %-2d %u", channel, event.data1);
        return text;
    case midi::statusChannelPressure:
        std::snprintf(text, sizeof text, "Pressure  ch %-2d %u", channel, event.data1);
        return text;
    default:
        std::snprintf(text, sizeof text, "Pitch Bend ch %-2d %+d", channel,
                      ((event.data2 << 7) | event.data1) - 8192);
        return text;
    }
}

EventLog::EventLog(std::ostream& stream) : printing(&stream) {
    printHeading(stream);
}

void EventLog::add(Row row) {
    if (printing != nullptr) {
        printEntry(*printing, row);
    } else {
        rows.push_back(std::move(row));
    }
}

void EventLog::printHeading(std::ostream& out) {
    printRow(out, "tick", "track", "in", "out");
}

void EventLog::printEntry(std::ostream& out, const Row& row) {
    std::string in = row.in ? describe(*row.in) : "(position)";
    std::string tick = std::to_string(row.tick);
    std::string track = std::to_string(row.track);
    if (row.out.empty()) {
        printRow(out, tick, track, in, "(nothing)");
        return;
    }
    for (std::size_t i = 0; i < row.out.size(); ++i) {
        if (i == 0) {
            printRow(out, tick, track, in, describe(row.out[i]));
        } else {
            printRow(out, "", "", "", describe(row.out[i]));
        }
    }
}

void EventLog::print(std::ostream& out) const {
    if (printing != nullptr) {
        return;
    }
    printHeading(out);
    for (const Row& row : rows) {
        printEntry(out, row);
    }
}

} // namespace quorlin::host
