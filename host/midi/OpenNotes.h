#pragma once

#include <cstddef>
#include <vector>

namespace quorlin::host {

// The notes of one channel and key that are still open, oldest first, as indices the caller
// counts (events of a track, notes of a roll): a note-off ends the oldest. Emptied, it gives its
// room back to the next note, so a long file does not grow it.
class OpenNotes {
public:
    bool empty() const { return first == indices.size(); }
    void add(std::size_t index) { indices.push_back(index); }
    std::size_t takeOldest() {
        std::size_t oldest = indices[first++];
        if (empty()) {
            indices.clear();
            first = 0;
        }
        return oldest;
    }

private:
    std::vector<std::size_t> indices;
    std::size_t first = 0;
};

} // namespace quorlin::host
