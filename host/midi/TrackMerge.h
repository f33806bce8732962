#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

namespace quorlin::host {

// The order in which a synthesizer hears the events of several tracks, as a player of the file
// sends them: by tick, at equal ticks the lower track first, each track's events in its own
// order. It holds, for each track with events still to come, the tick of its next one.
class TrackMerge {
public:
    void add(std::uint32_t tick, std::size_t track) { queue.emplace(tick, track); }
    bool empty() const { return queue.empty(); }
    std::uint32_t nextTick() const { return queue.top().first; }
    // The track whose event comes next, taken out: add it again with the tick of the event after.
    std::size_t take() {
        std::size_t track = queue.top().second;
        queue.pop();
        return track;
    }

private:
    using Next = std::pair<std::uint32_t, std::size_t>;
    std::priority_queue<Next, std::vector<Next>, std::greater<>> queue;
};

} // namespace quorlin::host
