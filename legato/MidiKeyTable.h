#pragma once

#include "legato/HeldNoteTable.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

namespace quorlin {

// The held keys of one MIDI channel, for the note numbers 0..127 a channel message can carry:
// the same table as HeldNoteTable, kept as a slot per key and a bit per held key, all inside
// the object. Every operation but the walks takes constant time, and none allocates, throws or
// depends on where anything lies. Note numbers outside 0..127 are ignored. It also remembers when
// each key that is no longer held was let go, for the legato tolerance.
class MidiKeyTable {
public:
    static constexpr std::size_t midiNoteCount = HeldNoteTable::midiNoteCount;

    // Creates or fully overwrites the key's entry; a length above 0 gives the note an end.
    void add(std::int32_t note, std::int32_t startPosition, std::int32_t length) noexcept;
    // The key is no longer held and counts as let go at `position`; a key that is not held is
    // ignored.
    void release(std::int32_t note, std::int32_t position) noexcept {
        if (isMidiNote(note) && hasBit(held, note)) {
            clearBit(held, note);
            clearBit(ending, note);
            --heldCount;
            setBit(released, note);
            releasePositions[static_cast<std::size_t>(note)] = position;
        }
    }
    // Erases every entry whose end is at or before `position`, each let go at its end: a walk
    // over the keys with ends.
    void prune(std::int32_t position) noexcept;
    std::uint32_t count() const noexcept { return heldCount; }
    void clear() noexcept {
        held = {};
        ending = {};
        released = {};
        heldCount = 0;
    }
    // As HeldNoteTable::limitAges.
    void limitAges(std::int32_t position, std::int32_t oldest) noexcept;

    // Calls `visit` with each held key, in ascending note order.
    template <class Visit> void forEach(Visit&& visit) const { walk(held, visit); }
    // Calls `visit` with each key let go since it was last struck (its entry as it was held)
    // and the position it was let go at, in ascending note order.
    template <class Visit> void forEachReleased(Visit&& visit) const {
        walk(released, [&](const HeldNote& key) {
            visit(key, releasePositions[static_cast<std::size_t>(key.note)]);
        });
    }

private:
    using Bits = std::array<std::uint64_t, midiNoteCount / 64>;

    template <class Visit> void walk(const Bits& which, Visit&& visit) const {
        for (std::size_t word = 0; word < which.size(); ++word) {
            for (std::uint64_t bits = which[word]; bits != 0; bits &= bits - 1) {
                visit(keys[word * 64 + static_cast<std::size_t>(std::countr_zero(bits))]);
            }
        }
    }

    static bool isMidiNote(std::int32_t note) noexcept {
        return static_cast<std::uint32_t>(note) < midiNoteCount;
    }
    static std::uint64_t bitOf(std::int32_t note) noexcept {
        return std::uint64_t{1} << (note & 63);
    }
    static bool hasBit(const Bits& bits, std::int32_t note) noexcept {
        return (bits[static_cast<std::size_t>(note >> 6)] & bitOf(note)) != 0;
    }
    static void setBit(Bits& bits, std::int32_t note) noexcept {
        bits[static_cast<std::size_t>(note >> 6)] |= bitOf(note);
    }
    static void clearBit(Bits& bits, std::int32_t note) noexcept {
        bits[static_cast<std::size_t>(note >> 6)] &= ~bitOf(note);
    }

    Bits held{};                                // a bit per held key
    Bits ending{};                              // a bit per held key that has an end
    Bits released{};                            // a bit per key let go since last struck
    std::uint32_t heldCount = 0;                // the bits set in `held`, counted as they change
    std::array<HeldNote, midiNoteCount> keys{}; // meaningful where `held` or `released` has it
    std::array<std::int32_t, midiNoteCount> releasePositions{}; // where `released` has the bit
};

} // namespace quorlin
