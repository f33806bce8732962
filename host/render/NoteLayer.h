#pragma once

#include "host/render/KeyAxis.h"
#include "host/render/KeySpelling.h"
#include "host/render/RollTrack.h"
#include "host/render/SvgWriter.h"
#include "host/render/TimeLabel.h"
#include "host/render/TimeScale.h"

#include <vector>

namespace quorlin::host {

// The notes of one roll on the rows of its keys: a bar per note, more opaque the harder it was
// struck, set apart when it glides in, with a line from the key it glides from; a note that
// nothing ended is drawn open. Each bar's title names the key, where it starts and its glide.
class NoteLayer {
public:
    // All three outlive the layer.
    NoteLayer(const KeyAxis& keyAxis, const KeySpelling& keySpelling, const TimeLabel& timeLabel)
        : keys(&keyAxis), spelling(&keySpelling), time(&timeLabel) {}

    void draw(SvgWriter& svg, const TimeScale& scale,
              const std::vector<RollTrack::Note>& notes) const;

private:
    const KeyAxis* keys;
    const KeySpelling* spelling;
    const TimeLabel* time;
};

} // namespace quorlin::host
