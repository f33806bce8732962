#include "host/render/TimeLabel.h"

#include <cmath>
#include <cstdio>

namespace quorlin::host {

std::string TimeLabel::where(std::uint32_t tick) const {
    TempoMap::Position at = tempo->position(tick);
    if (tempo->countsSeconds()) {
        return clock(tempo->seconds(tick));
    }
    return "bar " + std::to_string(at.bar) + " beat " + std::to_string(at.beat) + ", " +
           clock(tempo->seconds(tick));
}

std::string TimeLabel::clock(double exact) {
    char text[32];
    // Rounded first, so that 59.96 s reads 1:00.0 and not 0:60.0.
    double seconds = std::round(exact * 10.0) / 10.0;
    auto whole = static_cast<long>(seconds);
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%04.1f", whole / 60,
                      seconds - static_cast<double>(whole - whole % 60));
    }
    return text;
}

} // namespace quorlin::host
