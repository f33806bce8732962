#pragma once

#include <windows.h>

#include <cstdint>

namespace quorlin {

// The one process-wide 20 ms thread timer that tells listeners of parameter changes. Uses are
// counted: the first start creates the timer on the calling thread, whose message loop then
// runs the ticks; the last stop kills it. A stop without a use to give back does nothing.
// False, with no use taken, when memory ran out while the timer was created.
bool startChangeTimer();
void stopChangeTimer();

// The tick: every pending parameter, in order of construction, tells its listeners once.
// The four platform arguments are ignored.
void CALLBACK deliverPendingChanges(HWND window, UINT message, UINT_PTR timerId, DWORD time);

// For the library's detach: kills the timer if it exists, so no tick reaches unloaded code,
// and returns the use count to 0.
void killChangeTimerAtUnload();

// Starts not yet matched by a stop.
std::int32_t changeTimerStartCount();

} // namespace quorlin
