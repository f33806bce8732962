#pragma once

#include "host/render/KeySpelling.h"
#include "host/render/RollLayout.h"
#include "host/render/RollTrack.h"
#include "host/render/SvgWriter.h"
#include "host/render/TimeScale.h"

#include <optional>
#include <vector>

namespace quorlin::host {

// The keys of one roll, upwards from its lowest row to its highest, under the ruler: a row per
// key shaded as the keyboard's white and black keys, a line under each C, and key names left
// of the plot.
class KeyAxis {
public:
    // Which rows carry their key's name: every row, or the Cs alone.
    enum class Names { everyKey, octaves };

    // The keys `lowest` to `highest` with a key of air above and below, never fewer than 13 rows
    // (an octave); the more rows, the lower each.
    KeyAxis(int lowest, int highest);
    // The keys of `notes`. With `shown`, those of the notes that sound within it, so that a
    // picture of a few bars fits their keys; when none does, those of all.
    static KeyAxis fitting(const std::vector<RollTrack::Note>& notes,
                           std::optional<RollTrack::Span> shown);

    int rows() const { return high - low + 1; }
    double height() const { return rows() * rowHeight; }
    // From the top of the roll's group.
    double rowTop(int key) const { return RollLayout::rollTop + (high - key) * rowHeight; }
    double rowCentre(int key) const { return rowTop(key) + rowHeight / 2; }
    double keyHeight() const { return rowHeight; }
    // Whether a name fits in every row without touching the next.
    bool hasRoomForEveryName() const;
    // Where a line from `key` starts: its row's centre, or for a key the roll does not show
    // (another track's, on a shared channel) the roll's edge on its side.
    double levelOf(int key) const {
        return key > high ? rowTop(high) : key < low ? rowTop(low) + rowHeight : rowCentre(key);
    }

    // Long rolls repeat the octave names in every stretch of the width where one of `notes`
    // starts, so that a scrolled view still shows its keys.
    void draw(SvgWriter& svg, const TimeScale& scale, const std::vector<RollTrack::Note>& notes,
              const KeySpelling& spelling, Names names) const;

private:
    int low = 60;
    int high = 72;
    double rowHeight = 12;
};

} // namespace quorlin::host
