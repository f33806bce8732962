#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory_resource>

namespace quorlin {

struct HeldNote {
    std::int32_t note;
    std::int32_t startPosition;
    std::int32_t endPosition; // -1 when hasEnd is false
    bool hasEnd;
};

// The keys held at the present position, by note number. Storage comes from a pool inside the
// table, sized for the 128 MIDI notes, so steady-state playing never touches the heap; note
// numbers beyond that fall back to the heap.
class HeldNoteTable {
public:
    HeldNoteTable();
    HeldNoteTable(const HeldNoteTable&) = delete;
    HeldNoteTable& operator=(const HeldNoteTable&) = delete;
    ~HeldNoteTable();

    // Creates or fully overwrites the entry; a length above 0 gives the note an end.
    void add(std::int32_t note, std::int32_t startPosition, std::int32_t length);
    void remove(std::int32_t note);
    // Erases every entry whose end is at or before `position`.
    void prune(std::int32_t position);
    std::uint32_t count() const { return static_cast<std::uint32_t>(notes.size()); }
    void clear() { notes.clear(); }

    // Null when the note is not held.
    const HeldNote* find(std::int32_t note) const;

private:
    static constexpr std::size_t midiNoteCount = 128;
    // Room for the map nodes of all MIDI notes plus the pool's own bookkeeping.
    static constexpr std::size_t poolBytes = 24 * 1024;

    alignas(std::max_align_t) std::byte buffer[poolBytes];
    std::pmr::monotonic_buffer_resource arena;
    std::pmr::unsynchronized_pool_resource pool;
    std::pmr::map<std::int32_t, HeldNote> notes;
};

} // namespace quorlin
