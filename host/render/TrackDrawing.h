#pragma once

#include "host/midi/TempoMap.h"
#include "host/render/ControllerStrips.h"
#include "host/render/KeyAxis.h"
#include "host/render/KeySpelling.h"
#include "host/render/RollTrack.h"
#include "host/render/SvgWriter.h"
#include "host/render/TimeLabel.h"
#include "host/render/TimeScale.h"
#include "host/render/TrackHeading.h"

#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorlin::host {

// One track's roll: its heading, the ruler, its keys and notes over the bar grid and the
// controller strips under them, in a frame. Laid out before anything is drawn, so that the
// picture's size is known up front.
class TrackDrawing {
public:
    // `tempoMap` governs the track and outlives the drawing; `processedChannels`: the track's
    // channels that went through the plug-in (bit n: channel n + 1); `shown`: the ticks of the
    // bars drawn, when not all are.
    TrackDrawing(RollTrack trackRoll, std::size_t trackNumber, const TempoMap& tempoMap,
                 std::uint16_t processedChannels, KeySpelling keySpelling,
                 std::optional<RollTrack::Span> shown);

    double height() const;
    const TrackHeading& heading() const { return title; }
    const KeyAxis& keyAxis() const { return keys; }

    // `top`: where the roll starts in the picture; `names`: which key rows are named.
    void draw(SvgWriter& svg, const TimeScale& scale, double top, KeyAxis::Names names) const;

private:
    RollTrack roll;
    std::size_t number;
    TimeLabel time;
    KeySpelling spelling;
    TrackHeading title;
    KeyAxis keys;
    ControllerStrips strips;
};

} // namespace quorlin::host
