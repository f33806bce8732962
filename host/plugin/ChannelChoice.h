#pragma once

#include "legato/MidiProtocol.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorlin::host {

// Where the plug-in is inserted: which channels (counted from 0) of which tracks (counted from
// 1). By default every track and every channel but the General MIDI drum channel.
class ChannelChoice {
public:
    ChannelChoice();

    // "1-9,11-16" or "all"; throws a usage HostError naming `option` for anything else.
    void chooseChannels(const std::string& list, const std::string& option);
    // "1,3-5": track numbers from 1; throws a usage HostError naming `option` otherwise.
    void chooseTracks(const std::string& list, const std::string& option);

    bool includes(std::size_t trackNumber, std::uint8_t channel) const;
    bool includesTrack(std::size_t trackNumber) const;
    // Whether any chosen track is among the first `trackCount`.
    bool choosesTrackOf(std::size_t trackCount) const;
    // "channels 1-9, 11-16", for reports.
    std::string describeChannels() const;

private:
    std::uint16_t channels = 0;
    // Empty: every track.
    std::vector<std::pair<std::size_t, std::size_t>> trackRanges;
};

} // namespace quorlin::host
