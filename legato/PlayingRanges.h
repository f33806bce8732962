#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The ranges and defaults of Quorlin's settings, written once. The module's parameter, the LV2
// plug-in's controls (its Turtle file reads these lines when the build configures it), the web
// plug-in and quorlin-host's options all take them from here.
namespace quorlin::playing {

// The portamento time, sent as controller 5: "Off" (no controller 5) or 0..127.
inline constexpr std::int32_t speedOff = -1;
inline constexpr std::int32_t speedHighest = 127;
inline constexpr std::int32_t speedDefault = speedOff;

// The chord window, in milliseconds: 0 counts every held key.
inline constexpr std::int32_t chordWindowLowest = 0;
inline constexpr std::int32_t chordWindowHighest = 100;
inline constexpr std::int32_t chordWindowDefault = 0;

// The interval limit, in semitones: held keys farther than this from a new note do not count
// for it. The top of the range is no limit, the default.
inline constexpr std::int32_t intervalLimitLowest = 0;
inline constexpr std::int32_t intervalLimitHighest = 128;
inline constexpr std::int32_t intervalLimitNone = intervalLimitHighest;
inline constexpr std::int32_t intervalLimitDefault = intervalLimitNone;

// The legato tolerance, in milliseconds: a key let go less than this before a note-on still
// counts as held for it. 0 counts only keys still down.
inline constexpr std::int32_t legatoToleranceLowest = 0;
inline constexpr std::int32_t legatoToleranceHighest = 100;
inline constexpr std::int32_t legatoToleranceDefault = 0;

// The speed as text, the way players type it: "Off" in any case, or a whole number from -1 to
// 127 (-1 is Off). Nothing for any other text.
std::optional<std::int32_t> speedFromText(std::string_view text) noexcept;

// A control's value as a speed: rounded into range; anything that is not a number is Off.
std::int32_t speedFromControl(double value) noexcept;

// A control's value as an interval limit: rounded into range; not a number is no limit.
std::int32_t intervalFromControl(double value) noexcept;

// A chord window's (or a legato tolerance's) milliseconds as a count of positions at
// `positionsPerSecond`: rounded, at least 1 for any window above 0, and never more than
// `longestWindow`, whatever the rate (0, negative, infinite or not a number) and whatever the
// milliseconds.
std::int32_t windowPositions(double milliseconds, double positionsPerSecond) noexcept;

// The longest window in positions: a key held this long always counts, however long it is held
// (2^30 positions: 6.2 hours at 48 kHz, far beyond 100 ms at any real rate).
inline constexpr std::int32_t longestWindow = std::int32_t{1} << 30;

} // namespace quorlin::playing
