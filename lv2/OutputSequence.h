#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <bit>
#include <cstdint>
#include <cstring>

namespace quorlin::lv2 {

// Writes MIDI events into the atom sequence of an output port, in the room the host gave it.
// An event that does not fit whole is dropped whole and counted; times never go backwards. The
// last event may end without its padding, as a sequence's size may leave it out: what is
// written never passes the room, padding included.
// Every size is summed in 64 bits, so no size an input carries can wrap past the room's check.
class OutputSequence {
public:
    OutputSequence(LV2_URID sequenceUrid, LV2_URID midiEventUrid)
        : sequenceType(sequenceUrid), midiEventType(midiEventUrid) {}

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
    // A channel message of `size` bytes, 2 or 3 (the third then 0), the common case on the
    // event path: built whole and stored at once. `keepFree` bytes must stay free after it: in
    // place, the input still to come, so that no input event is lost to a message of the
    // plug-in's own and none is overwritten before it is read. False when it was dropped.
    bool writeMessage(std::uint32_t frame, const std::uint8_t (&bytes)[3], std::uint32_t size,
                      std::uint32_t keepFree) noexcept {
        if (used + sizeof(ShortEvent) + keepFree > room) {
            return put(frame, bytes, size, keepFree); // the last room, or none
        }
        lastFrame = frame < lastFrame ? lastFrame : frame;
        // The bytes are taken into one word before anything is written (in place they may lie
        // just ahead), and every field is stored once, whole: no narrow store is read back wide.
        std::uint64_t body = packed(bytes);
        auto* event = reinterpret_cast<ShortEvent*>(events + used);
        event->header.time.frames = lastFrame;
        event->header.body.size = size;
        event->header.body.type = midiEventType;
        std::memcpy(event->body, &body, sizeof body);
        used += sizeof(ShortEvent);
        sequence->atom.size = static_cast<std::uint32_t>(sizeof(LV2_Atom_Sequence_Body) + used);
        return true;
    }

    // Events dropped since the last call.
    std::uint64_t takeDropped() noexcept;

private:
    // An event whose body fits the eight bytes its padding gives it anyway.
    struct ShortEvent {
        LV2_Atom_Event header;
        std::uint8_t body[8];
    };
    static_assert(sizeof(ShortEvent) == sizeof(LV2_Atom_Event) + 8);

    // Three bytes as the word that holds them in memory order, the padding after them zero.
    static std::uint64_t packed(const std::uint8_t (&bytes)[3]) noexcept {
        if constexpr (std::endian::native == std::endian::little) {
            return bytes[0] | std::uint64_t{bytes[1]} << 8 | std::uint64_t{bytes[2]} << 16;
        } else {
            return std::uint64_t{bytes[0]} << 56 | std::uint64_t{bytes[1]} << 48 |
                   std::uint64_t{bytes[2]} << 40;
        }
    }
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
