#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>

namespace quorlin::lv2 {

// Writes MIDI events into the atom sequence of an output port, in the room the host gave it.
// An event that does not fit whole is dropped whole and counted; times never go backwards.
// Every size is summed in 64 bits, so no size an input carries can wrap past the room's check.
class OutputSequence {
public:
    OutputSequence(LV2_URID sequenceType, LV2_URID midiEventType)
        : sequenceType(sequenceType), midiEventType(midiEventType) {}

    // Starts a cycle on the port's buffer; the host put its capacity, header included, in the
    // atom's size. A null buffer takes nothing.
    void begin(LV2_Atom_Sequence* buffer) noexcept;
    // Starts a cycle on the input's own buffer, which a host connected to both ports: the only
    // room the host vouched for is what the input sequence, `inputSize` body bytes, took.
    void beginInPlace(LV2_Atom_Sequence* buffer, std::uint32_t inputSize) noexcept;

    // An event of the input, passed on. False when it was dropped.
    bool write(std::uint32_t frame, const std::uint8_t* bytes, std::uint32_t size) noexcept {
        return put(frame, bytes, size, 0);
    }
    // A three-byte message of the plug-in's own. In place, it must leave `inputStillToCome`
    // bytes free, so that no input event is lost to it and none is overwritten before it is read.
    bool writeOwn(std::uint32_t frame, const std::uint8_t (&bytes)[3],
                  std::uint32_t inputStillToCome) noexcept {
        return put(frame, bytes, sizeof bytes, inputStillToCome);
    }

    // Events dropped since the last call.
    std::uint64_t takeDropped() noexcept;

private:
    void start(LV2_Atom_Sequence* buffer, std::uint64_t bodyRoom) noexcept;
    bool put(std::uint32_t frame, const std::uint8_t* bytes, std::uint32_t size,
             std::uint32_t keepFree) noexcept;

    LV2_URID sequenceType;
    LV2_URID midiEventType;
    LV2_Atom_Sequence* sequence = nullptr;
    std::uint8_t* events = nullptr; // where the first event goes, after the headers
    std::uint64_t room = 0;         // bytes for the events after the body's header
    std::uint64_t used = 0;
    std::uint32_t lastFrame = 0;
    std::uint64_t droppedEvents = 0;
};

} // namespace quorlin::lv2
