#pragma once

#include <chrono>

namespace quorlin::testing {

// Runs the calling thread's message loop for a while, as a Windows host does between calls,
// so thread timers created on this thread fire.
void pumpMessagesFor(std::chrono::milliseconds duration);

// Dispatches what is due now and returns at once.
void pumpPendingMessages();

} // namespace quorlin::testing
