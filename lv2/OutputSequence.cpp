#include "lv2/OutputSequence.h"

namespace quorlin::lv2 {

namespace {

constexpr std::uint64_t headerRoom = sizeof(LV2_Atom) + sizeof(LV2_Atom_Sequence_Body);

} // namespace

void OutputSequence::begin(LV2_Atom_Sequence* buffer) noexcept {
    // Counted as hosts and the standard's own examples count it: the whole sequence, header
    // included, must fit in the size given.
    start(buffer, buffer == nullptr ? 0 : buffer->atom.size);
}

void OutputSequence::beginInPlace(LV2_Atom_Sequence* buffer, std::uint32_t inputSize) noexcept {
    start(buffer, std::uint64_t{inputSize} + sizeof(LV2_Atom));
}

void OutputSequence::start(LV2_Atom_Sequence* buffer, std::uint64_t capacity) noexcept {
    sequence = buffer;
    lastFrame = 0;
    used = 0;
    room = 0;
    if (sequence == nullptr) {
        return;
    }
    sequence->atom.type = sequenceType;
    if (capacity < headerRoom) {
        // Not even room for the sequence header: an empty atom of size 0 says so.
        sequence->atom.size = 0;
        sequence = nullptr;
        return;
    }
    room = capacity - headerRoom;
    events = reinterpret_cast<std::uint8_t*>(buffer) + headerRoom;
    sequence->atom.size = sizeof(LV2_Atom_Sequence_Body);
    sequence->body.unit = 0;
    sequence->body.pad = 0;
}

bool OutputSequence::put(std::uint32_t frame, const std::uint8_t* bytes, std::uint32_t size,
                         std::uint32_t keepFree) noexcept {
    std::uint64_t exact = sizeof(LV2_Atom_Event) + std::uint64_t{size};
    std::uint64_t needed = (exact + 7) & ~std::uint64_t{7};
    // Without room for its padding an event can still be the last one, when nothing is to
    // follow it: the room is used up after it.
    bool fitsPadded = used + needed + keepFree <= room;
    bool fitsAsLast = keepFree == 0 && used + exact <= room;
    if (sequence == nullptr || !(fitsPadded || fitsAsLast)) {
        ++droppedEvents;
        return false;
    }
    std::uint64_t taken = fitsPadded ? needed : room - used;
    if (frame < lastFrame) {
        frame = lastFrame;
    }
    lastFrame = frame;
    auto* event = reinterpret_cast<LV2_Atom_Event*>(events + used);
    // In place the bytes may lie at or after where they go: a forward copy, byte by byte, is
    // safe for that, and for two or three bytes it beats a call to memmove.
    auto* body = reinterpret_cast<std::uint8_t*>(event + 1);
    for (std::uint32_t index = 0; index < size; ++index) {
        body[index] = bytes[index];
    }
    event->time.frames = frame;
    event->body.type = midiEventType;
    event->body.size = size;
    sequence->atom.size = static_cast<std::uint32_t>(sizeof(LV2_Atom_Sequence_Body) + used +
                                                     (taken == needed ? needed : exact));
    used += taken;
    return true;
}

std::uint64_t OutputSequence::takeDropped() noexcept {
    std::uint64_t count = droppedEvents;
    droppedEvents = 0;
    return count;
}

} // namespace quorlin::lv2
