#include "HeldNoteTable.h"

#include <array>
#include <vector>

namespace quorlin {

namespace {

// The end position in wrapping 32-bit arithmetic, without signed-overflow undefined behaviour.
std::int32_t wrappingSum(std::int32_t start, std::int32_t length) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(start) +
                                     static_cast<std::uint32_t>(length));
}

} // namespace

HeldNoteTable::HeldNoteTable()
    : arena(buffer, sizeof buffer),
      pool(std::pmr::pool_options{midiNoteCount, 0}, &arena),
      notes(&pool) {}

HeldNoteTable::~HeldNoteTable() = default;

void HeldNoteTable::add(std::int32_t note, std::int32_t startPosition, std::int32_t length) {
    bool hasEnd = length > 0;
    HeldNote entry{note, startPosition, hasEnd ? wrappingSum(startPosition, length) : -1, hasEnd};
    notes.insert_or_assign(note, entry);
}

void HeldNoteTable::remove(std::int32_t note) { notes.erase(note); }

void HeldNoteTable::prune(std::int32_t position) {
    // Collect first, erase after, so nothing is erased while the map is walked. The list lives
    // on the stack for every table the MIDI range can produce.
    std::array<std::byte, midiNoteCount * sizeof(std::int32_t) + 64> scratch;
    std::pmr::monotonic_buffer_resource scratchArena(scratch.data(), scratch.size());
    std::pmr::vector<std::int32_t> ended(&scratchArena);
    for (const auto& [note, entry] : notes) {
        if (entry.hasEnd && entry.endPosition <= position) {
            if (ended.empty()) {
                ended.reserve(notes.size() > midiNoteCount ? notes.size() : midiNoteCount);
            }
            ended.push_back(note);
        }
    }
    for (std::int32_t note : ended) {
        notes.erase(note);
    }
}

const HeldNote* HeldNoteTable::find(std::int32_t note) const {
    auto it = notes.find(note);
    return it == notes.end() ? nullptr : &it->second;
}

} // namespace quorlin
