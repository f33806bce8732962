#pragma once

#include <string>

namespace quorlin::host {

// The temporary files this run has beside its outputs. While one is held, an interrupt, a
// termination or a hang-up (INT, TERM, HUP) removes every held file before the program ends as
// that signal ends it; a signal the program was started ignoring stays ignored. Main thread.
class TemporaryFiles {
public:
    // Holds `path` until `release`; a path too long to hold is not held (its creation fails
    // anyway). Answers the slot to release, or a negative number for none.
    static int hold(const std::string& path);
    static void release(int slot);
};

} // namespace quorlin::host
