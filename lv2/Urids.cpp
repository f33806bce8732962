#include "lv2/Urids.h"

#include <lv2/atom/atom.h>
#include <lv2/midi/midi.h>
#include <lv2/time/time.h>

namespace quorlin::lv2 {

Urids::Urids(const LV2_URID_Map& map) noexcept
    : atomSequence(map.map(map.handle, LV2_ATOM__Sequence)),
      atomObject(map.map(map.handle, LV2_ATOM__Object)),
      atomBlank(map.map(map.handle, LV2_ATOM__Blank)),
      atomFloat(map.map(map.handle, LV2_ATOM__Float)),
      atomDouble(map.map(map.handle, LV2_ATOM__Double)),
      atomInt(map.map(map.handle, LV2_ATOM__Int)), atomLong(map.map(map.handle, LV2_ATOM__Long)),
      midiEvent(map.map(map.handle, LV2_MIDI__MidiEvent)),
      timePosition(map.map(map.handle, LV2_TIME__Position)),
      timeSpeed(map.map(map.handle, LV2_TIME__speed)) {}

} // namespace quorlin::lv2
