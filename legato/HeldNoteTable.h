#pragma once

#include <cstddef>
#include <cstdint>
#include <memory_resource>
#include <vector>

namespace quorlin {

struct HeldNote {
    std::int32_t note;
    std::int32_t startPosition;
    std::int32_t endPosition; // -1 when hasEnd is false
    bool hasEnd;
};

// The keys held at the present position, by note number: an ordered map kept as a sorted array,
// since a handful of keys is the common case and every note-on walks them all. Room for the 128
// MIDI notes is taken when the table is made, so steady-state playing never touches the heap;
// only note numbers beyond that range can make it grow.
class HeldNoteTable {
public:
    // The room comes from `memory`: plain operator new and delete unless told otherwise.
    explicit HeldNoteTable(std::pmr::memory_resource* memory = plainMemory());

    // operator new and delete as they are: a held key needs no more than their alignment.
    static std::pmr::memory_resource* plainMemory() noexcept;
    HeldNoteTable(const HeldNoteTable&) = delete;
    HeldNoteTable& operator=(const HeldNoteTable&) = delete;
    ~HeldNoteTable();

    // Creates or fully overwrites the entry; a length above 0 gives the note an end. Throws
    // std::bad_alloc, with the table unchanged, only when a note beyond the room needs more.
    void add(std::int32_t note, std::int32_t startPosition, std::int32_t length);
    void remove(std::int32_t note);
    // Erases every entry whose end is at or before `position`; never allocates.
    void prune(std::int32_t position);
    // Moves the start of every entry struck more than `oldest` positions before `position` (in
    // wrapping arithmetic) up to `oldest` positions before it. Ends stay as they are.
    void limitAges(std::int32_t position, std::int32_t oldest) noexcept;
    std::uint32_t count() const { return static_cast<std::uint32_t>(notes.size()); }
    void clear() { notes.clear(); } // keeps the room, so the next notes take none

    // Null when the note is not held.
    const HeldNote* find(std::int32_t note) const;
    // The held keys in ascending note order.
    auto begin() const { return notes.begin(); }
    auto end() const { return notes.end(); }
    // Calls `visit` with each held key, in ascending note order.
    template <class Visit> void forEach(Visit&& visit) const {
        for (const HeldNote& entry : notes) {
            visit(entry);
        }
    }

    // The room taken at construction: every MIDI note number.
    static constexpr std::size_t midiNoteCount = 128;

private:
    std::pmr::vector<HeldNote> notes; // ascending by note number, one entry per note
};

} // namespace quorlin
