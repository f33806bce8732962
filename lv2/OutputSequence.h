#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>

namespace quorlin::lv2 {

// Writes MIDI events into the atom sequence of an output port, in the room the host gave it.
// An event that does not fit whole is dropped whole and counted; times never go backwards.
class OutputSequence {
public:
    OutputSequence(LV2_URID sequenceType, LV2_URID midiEventType)
        : sequenceType(sequenceType), midiEventType(midiEventType) {}

    // Starts a cycle on the port's buffer; the host put its capacity in the atom's size. A null
    // buffer takes nothing.
    void begin(LV2_Atom_Sequence* buffer) noexcept;
    // False when the event was dropped.
    bool write(std::uint32_t frame, const std::uint8_t* bytes, std::uint32_t size) noexcept;
    void countDropped() noexcept { ++droppedEvents; }

    // Events dropped since the last call.
    std::uint64_t takeDropped() noexcept;

private:
    LV2_URID sequenceType;
    LV2_URID midiEventType;
    LV2_Atom_Sequence* sequence = nullptr;
    std::uint32_t capacity = 0; // bytes for the sequence body and its events
    std::uint32_t lastFrame = 0;
    std::uint64_t droppedEvents = 0;
};

} // namespace quorlin::lv2
