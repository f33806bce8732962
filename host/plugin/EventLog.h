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

    void add(Row row) { rows.push_back(std::move(row)); }
    const std::vector<Row>& entries() const { return rows; }
    void print(std::ostream& out) const;

    // One event in words, e.g. "Note On   ch 1  C4 (60)  vel 100".
    static std::string describe(const MidiEvent& event);
    // Middle C, note 60, is "C4".
    static std::string noteName(std::uint8_t note);

private:
    std::vector<Row> rows;
};

} // namespace quorlin::host
