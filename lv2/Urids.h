#pragma once

#include <lv2/urid/urid.h>

namespace quorlin::lv2 {

// The URIs the plug-in reads and writes, mapped once when it is instantiated.
struct Urids {
    explicit Urids(const LV2_URID_Map& map) noexcept;

    LV2_URID atomSequence;
    LV2_URID atomObject;
    LV2_URID atomBlank;
    LV2_URID atomFloat;
    LV2_URID atomDouble;
    LV2_URID atomInt;
    LV2_URID atomLong;
    LV2_URID midiEvent;
    LV2_URID timePosition;
    LV2_URID timeSpeed;
};

} // namespace quorlin::lv2
