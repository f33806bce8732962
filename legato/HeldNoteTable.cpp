#include "legato/HeldNoteTable.h"

#include <algorithm>

namespace quorlin {

namespace {

// The end position in wrapping 32-bit arithmetic, without signed-overflow undefined behaviour.
std::int32_t wrappingSum(std::int32_t start, std::int32_t length) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(start) +
                                     static_cast<std::uint32_t>(length));
}

// The entry of `note`, or the place where it would go to keep the order.
template <class Notes> auto lowerBound(Notes& notes, std::int32_t note) {
    return std::lower_bound(
        notes.begin(), notes.end(), note,
        [](const HeldNote& entry, std::int32_t key) { return entry.note < key; });
}

class PlainMemory final : public std::pmr::memory_resource {
    void* do_allocate(std::size_t bytes, std::size_t) override { return ::operator new(bytes); }
    void do_deallocate(void* memory, std::size_t, std::size_t) noexcept override {
        ::operator delete(memory);
    }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
};

} // namespace

std::pmr::memory_resource* HeldNoteTable::plainMemory() noexcept {
    static PlainMemory plain;
    return &plain;
}

HeldNoteTable::HeldNoteTable(std::pmr::memory_resource* memory) : notes(memory) {
    notes.reserve(midiNoteCount);
}

HeldNoteTable::~HeldNoteTable() = default;

void HeldNoteTable::add(std::int32_t note, std::int32_t startPosition, std::int32_t length) {
    bool hasEnd = length > 0;
    HeldNote entry{note, startPosition, hasEnd ? wrappingSum(startPosition, length) : -1, hasEnd};
    auto place = lowerBound(notes, note);
    if (place != notes.end() && place->note == note) {
        *place = entry;
    } else {
        notes.insert(place, entry);
    }
}

void HeldNoteTable::remove(std::int32_t note) {
    auto place = lowerBound(notes, note);
    if (place != notes.end() && place->note == note) {
        notes.erase(place);
    }
}

void HeldNoteTable::prune(std::int32_t position) {
    // Erased in place: pruning never allocates, whatever the table holds.
    std::erase_if(notes, [position](const HeldNote& entry) {
        return entry.hasEnd && entry.endPosition <= position;
    });
}

void HeldNoteTable::limitAges(std::int32_t position, std::int32_t oldest) noexcept {
    auto limit = static_cast<std::uint32_t>(oldest);
    for (HeldNote& entry : notes) {
        if (static_cast<std::uint32_t>(position) - static_cast<std::uint32_t>(entry.startPosition) >
            limit) {
            entry.startPosition = wrappingSum(position, -oldest);
        }
    }
}

const HeldNote* HeldNoteTable::find(std::int32_t note) const {
    auto place = lowerBound(notes, note);
    return place != notes.end() && place->note == note ? &*place : nullptr;
}

} // namespace quorlin
