#include "host/plugin/ChannelChoice.h"

#include "host/plugin/HostError.h"

#include <algorithm>
#include <charconv>

namespace quorlin::host {

namespace {

constexpr std::uint16_t allChannels = 0xFFFF;

struct Range {
    std::size_t first = 0;
    std::size_t last = 0;
};

// "3" or "3-7", each number within 1..limit.
std::vector<Range> parseList(const std::string& list, std::size_t limit,
                             const std::string& option) {
    auto refuse = [&] {
        return usageError("option " + option + " takes numbers 1-" + std::to_string(limit) +
                          " and ranges separated by commas, e.g. 1-9,11-16");
    };
    auto number = [&](const char* begin, const char* end) {
        std::size_t value = 0;
        auto [stop, error] = std::from_chars(begin, end, value);
        if (error != std::errc() || stop != end || value < 1 || value > limit) {
            Failure::raise(refuse());
        }
        return value;
    };
    std::vector<Range> ranges;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t comma = list.find(',', start);
        std::size_t stop = comma == std::string::npos ? list.size() : comma;
        const char* begin = list.data() + start;
        const char* end = list.data() + stop;
        const char* dash = std::find(begin, end, '-');
        Range range;
        range.first = number(begin, dash);
        range.last = dash == end ? range.first : number(dash + 1, end);
        if (range.last < range.first) {
            Failure::raise(refuse());
        }
        ranges.push_back(range);
        start = stop + 1;
    }
    return ranges;
}

} // namespace

ChannelChoice::ChannelChoice()
    : channels(static_cast<std::uint16_t>(allChannels & ~(1u << midi::drumChannel))) {}

void ChannelChoice::chooseChannels(const std::string& list, const std::string& option) {
    if (list == "all") {
        channels = allChannels;
        return;
    }
    channels = 0;
    for (const Range& range : parseList(list, midi::channelCount, option)) {
        for (std::size_t channel = range.first; channel <= range.last; ++channel) {
            channels = static_cast<std::uint16_t>(channels | (1u << (channel - 1)));
        }
    }
}

void ChannelChoice::chooseTracks(const std::string& list, const std::string& option) {
    trackRanges.clear();
    for (const Range& range : parseList(list, 65535, option)) {
        trackRanges.emplace_back(range.first, range.last);
    }
}

bool ChannelChoice::includesTrack(std::size_t trackNumber) const {
    if (trackRanges.empty()) {
        return true;
    }
    for (const auto& [first, last] : trackRanges) {
        if (trackNumber >= first && trackNumber <= last) {
            return true;
        }
    }
    return false;
}

bool ChannelChoice::choosesTrackOf(std::size_t trackCount) const {
    return trackRanges.empty() ||
           std::any_of(trackRanges.begin(), trackRanges.end(),
                       [trackCount](const auto& range) { return range.first <= trackCount; });
}

bool ChannelChoice::includes(std::size_t trackNumber, std::uint8_t channel) const {
    return ((channels >> channel) & 1u) != 0 && includesTrack(trackNumber);
}

std::string ChannelChoice::describeChannels() const {
    std::string text;
    int channel = 0;
    while (channel < midi::channelCount) {
        if (((channels >> channel) & 1u) == 0) {
            ++channel;
            continue;
        }
        int last = channel;
        while (last + 1 < midi::channelCount && ((channels >> (last + 1)) & 1u) != 0) {
            ++last;
        }
        text += (text.empty() ? "" : ",") + std::to_string(channel + 1);
        if (last > channel) {
            text += "-" + std::to_string(last + 1);
        }
        channel = last + 1;
    }
    return text.empty() ? "no channels" : "channels " + text;
}

} // namespace quorlin::host
