#pragma once

#include <chrono>
#include <functional>

namespace quorlin::testing {

// Runs the calling thread's message loop for a while, as a Windows host does between calls,
// so thread timers created on this thread fire.
void pumpMessagesFor(std::chrono::milliseconds duration);

// Dispatches what is due now and returns at once.
void pumpPendingMessages();

// How long a test waits for something a 20 ms timer brings: far beyond an idle machine's few
// periods, so that a busy one never decides. A wait returns as soon as its condition holds.
inline constexpr std::chrono::milliseconds patience{10000};

// Runs the message loop until `done` holds or `limit` has passed; true when done.
bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = patience);

} // namespace quorlin::testing
