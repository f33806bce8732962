#include "lv2/OutputSequence.h"

#include <lv2/atom/util.h>

namespace quorlin::lv2 {

void OutputSequence::begin(LV2_Atom_Sequence* buffer) noexcept {
    sequence = buffer;
    lastFrame = 0;
    if (sequence == nullptr) {
        capacity = 0;
        return;
    }
    // Counted as hosts and the standard's own examples count it: the whole sequence, header
    // included, must fit in the size given.
    capacity = sequence->atom.size;
    sequence->atom.type = sequenceType;
    if (capacity < sizeof(LV2_Atom_Sequence)) {
        // Not even room for the sequence header: an empty atom of size 0 says so.
        sequence->atom.size = 0;
        capacity = 0;
        sequence = nullptr;
        return;
    }
    sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
    sequence->body.unit = 0;
    sequence->body.pad = 0;
}

bool OutputSequence::write(std::uint32_t frame, const std::uint8_t* bytes,
                           std::uint32_t size) noexcept {
    if (sequence == nullptr) {
        ++droppedEvents;
        return false;
    }
    std::uint32_t used = sequence->atom.size; // the body so far
    std::uint32_t needed = lv2_atom_pad_size(sizeof(LV2_Atom_Event) + size);
    std::uint32_t total = sizeof(LV2_Atom) + used;
    if (needed > capacity || total > capacity - needed) {
        ++droppedEvents;
        return false;
    }
    if (frame < lastFrame) {
        frame = lastFrame;
    }
    lastFrame = frame;
    auto* event =
        reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<std::uint8_t*>(&sequence->body) + used);
    event->time.frames = frame;
    event->body.type = midiEventType;
    event->body.size = size;
    // Channel messages are two or three bytes: a plain loop beats a call to memcpy.
    auto* body = reinterpret_cast<std::uint8_t*>(event + 1);
    for (std::uint32_t index = 0; index < size; ++index) {
        body[index] = bytes[index];
    }
    sequence->atom.size = used + needed;
    return true;
}

std::uint64_t OutputSequence::takeDropped() noexcept {
    std::uint64_t count = droppedEvents;
    droppedEvents = 0;
    return count;
}

} // namespace quorlin::lv2
