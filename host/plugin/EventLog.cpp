#include "host/plugin/EventLog.h"

#include <array>
#include <cstdio>

namespace quorlin::host {

namespace {

constexpr int inColumnWidth = 40;

std::string controllerMeaning(std::uint8_t controller, std::uint8_t value) {
    switch (controller) {
    case 5:
        return "  portamento time";
    case 65:
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
        text += byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : '?';
    }
    return text;
}

std::string describeMeta(const MidiEvent& event) {
    const MidiPayload& data = event.payload;
    char text[96];
    switch (event.metaType()) {
    case 0x01:
        return "Meta Text \"" + printable(data) + "\"";
    case 0x03:
        return "Meta Track Name \"" + printable(data) + "\"";
    case 0x04:
        return "Meta Instrument \"" + printable(data) + "\"";
    case 0x05:
        return "Meta Lyric \"" + printable(data) + "\"";
    case 0x06:
        return "Meta Marker \"" + printable(data) + "\"";
    case MidiEvent::tempoType:
        if (data.size() == 3) {
            unsigned microseconds = (data[0] << 16) | (data[1] << 8) | data[2];
            std::snprintf(text, sizeof text, "Meta Tempo %.2f bpm",
                          microseconds == 0 ? 0.0 : 60000000.0 / microseconds);
            return text;
        }
        break;
    case 0x58:
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
    case 0x80:
    case 0x90: {
        const char* kind = event.isNoteOn() ? "Note On " : "Note Off";
        std::snprintf(text, sizeof text, "%s  ch %-2d %-4s(%u)  vel %u", kind, channel,
                      noteName(event.data1).c_str(), event.data1, event.data2);
        return text;
    }
    case 0xA0:
        std::snprintf(text, sizeof text, "Key Pressure  ch %-2d %s  %u", channel,
                      noteName(event.data1).c_str(), event.data2);
        return text;
    case 0xB0:
        std::snprintf(text, sizeof text, "Control   ch %-2d #%u = %u%s", channel, event.data1,
                      event.data2, controllerMeaning(event.data1, event.data2).c_str());
        return text;
    case 0xC0:
        std::snprintf(text, sizeof text, "Program   ch %-2d %u", channel, event.data1);
        return text;
    case 0xD0:
        std::snprintf(text, sizeof text, "Pressure  ch %-2d %u", channel, event.data1);
        return text;
    default:
        std::snprintf(text, sizeof text, "Pitch Bend ch %-2d %+d", channel,
                      ((event.data2 << 7) | event.data1) - 8192);
        return text;
    }
}

void EventLog::print(std::ostream& out) const {
    char line[256];
    std::snprintf(line, sizeof line, "%10s  %5s  %-*s  %s\n", "tick", "track", inColumnWidth, "in",
                  "out");
    out << line;
    for (const Row& row : rows) {
        std::string in = row.in ? describe(*row.in) : "(position)";
        if (row.out.empty()) {
            std::snprintf(line, sizeof line, "%10u  %5zu  %-*s  %s\n", row.tick, row.track,
                          inColumnWidth, in.c_str(), "(nothing)");
            out << line;
            continue;
        }
        for (std::size_t i = 0; i < row.out.size(); ++i) {
            std::string sent = describe(row.out[i]);
            if (i == 0) {
                std::snprintf(line, sizeof line, "%10u  %5zu  %-*s  %s\n", row.tick, row.track,
                              inColumnWidth, in.c_str(), sent.c_str());
            } else {
                std::snprintf(line, sizeof line, "%10s  %5s  %-*s  %s\n", "", "", inColumnWidth, "",
                              sent.c_str());
            }
            out << line;
        }
    }
}

} // namespace quorlin::host
