#pragma once

namespace quorlin::host {

// Where the parts of a track's roll sit from the top of its group, in pixels: its heading, the
// ruler of bar numbers the picture shares, then the key rows. The ruler is drawn once and placed
// in every roll, so it follows these too.
struct RollLayout {
    static constexpr double headingHeight = 24;
    static constexpr double rulerHeight = 30;
    static constexpr double rollTop = headingHeight + rulerHeight;
};

} // namespace quorlin::host
