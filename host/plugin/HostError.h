#pragma once

#include "host/midi/Failure.h"

#include <stdexcept>
#include <string>

namespace quorlin::host {

// A failure the user has to act on: main prints the message as one line and exits with the code.
class HostError : public std::runtime_error {
public:
    static constexpr int failureExitCode = 1;
    static constexpr int usageExitCode = 2;

    explicit HostError(const std::string& message, int exitCode = failureExitCode)
        : std::runtime_error(message), code(exitCode) {}

    int exitCode() const { return code; }

private:
    int code;
};

// A command line that cannot be understood.
inline HostError usageError(const std::string& message) {
    return HostError(message + " (try --help)", HostError::usageExitCode);
}

} // namespace quorlin::host
