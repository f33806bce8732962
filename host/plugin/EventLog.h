#pragma once

#include "host/midi/MidiEvent.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quorlin::host {

// The readable record of a run: per tick and track, what went into the plug-in and what came
// out. A row without an input stands for the position call made before a tick's events.
class EventLog {
public:
    struct Row {
        std::uint32_t tick = 0;
        std::size_t track = 0;
        std::optional<MidiEvent> in;
        std::vector<MidiEvent> out;
    };

    EventLog() = default;
    // A log that prints its heading on `stream` at once and each row there as it is added,
    // keeping none: its memory stays the same however long the file.
    explicit EventLog(std::ostream& stream);

    void add(Row row);
    const std::vector<Row>& entries() const { return rows; }
    // The heading and the rows kept; nothing more for a log that prints as it goes.
    void print(std::ostream& out) const;

    // One event in words, e.g. "Note On   ch 1  C4 (60)  vel 100".
    static std::string describe(const MidiEvent& event);
    // Middle C, note 60, is "C4".
    static std::string noteName(std::uint8_t note);

private:
    static void printHeading(std::ostream& out);
    static void printEntry(std::ostream& out, const Row& row);

    std::ostream* printing = nullptr;
    std::vector<Row> rows;
};

} // namespace quorlin::host
