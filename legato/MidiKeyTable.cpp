#include "legato/MidiKeyTable.h"

namespace quorlin {

void MidiKeyTable::add(std::int32_t note, std::int32_t startPosition,
                       std::int32_t length) noexcept {
    if (!isMidiNote(note)) {
        return;
    }
    bool hasEnd = length > 0;
    // The end in wrapping 32-bit arithmetic, as HeldNoteTable takes it.
    auto end = static_cast<std::int32_t>(static_cast<std::uint32_t>(startPosition) +
                                         static_cast<std::uint32_t>(length));
    keys[static_cast<std::size_t>(note)] = {note, startPosition, hasEnd ? end : -1, hasEnd};
    heldCount += hasBit(held, note) ? 0 : 1;
    setBit(held, note);
    clearBit(released, note);
    if (hasEnd) {
        setBit(ending, note);
    } else {
        clearBit(ending, note);
    }
}

void MidiKeyTable::prune(std::int32_t position) noexcept {
    for (std::size_t word = 0; word < ending.size(); ++word) {
        for (std::uint64_t bits = ending[word]; bits != 0; bits &= bits - 1) {
            auto note = static_cast<std::int32_t>(word * 64) + std::countr_zero(bits);
            std::int32_t end = keys[static_cast<std::size_t>(note)].endPosition;
            if (end <= position) {
                release(note, end);
            }
        }
    }
}

void MidiKeyTable::limitAges(std::int32_t position, std::int32_t oldest) noexcept {
    auto limit = static_cast<std::uint32_t>(oldest);
    for (HeldNote& key : keys) {
        if (static_cast<std::uint32_t>(position) - static_cast<std::uint32_t>(key.startPosition) >
            limit) {
            key.startPosition =
                static_cast<std::int32_t>(static_cast<std::uint32_t>(position) - limit);
        }
    }
    for (std::int32_t& letGo : releasePositions) {
        if (static_cast<std::uint32_t>(position) - static_cast<std::uint32_t>(letGo) > limit) {
            letGo = static_cast<std::int32_t>(static_cast<std::uint32_t>(position) - limit);
        }
    }
}

} // namespace quorlin
