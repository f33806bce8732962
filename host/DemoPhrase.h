#pragma once

#include "host/midi/MidiFile.h"

namespace quorlin::host {

// The built-in phrase of the demo, one track on channel 1 at 480 ticks per quarter: a legato
// run whose notes overlap, detached notes, a three-note chord and a key struck repeatedly.
MidiFile demoPhrase();

} // namespace quorlin::host
