#include "host/TemporaryFiles.h"

#include <array>
#include <csignal>
#include <cstring>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace quorlin::host {

namespace {

// Room for the temporaries and the kept-aside old contents of a run of several outputs; a run
// with more is still written, its surplus names only not removed on a signal.
constexpr std::size_t slotCount = 64;
constexpr std::size_t pathRoom = 4096;

// Read by the signal handler: a slot's path is complete before its flag is set.
std::array<std::array<char, pathRoom>, slotCount> paths{};
std::array<volatile std::sig_atomic_t, slotCount> held{};

void removeHeld(int number) {
    for (std::size_t i = 0; i < slotCount; ++i) {
        if (held[i] != 0) {
#if defined(_WIN32)
            std::remove(paths[i].data());
#else
            ::unlink(paths[i].data());
#endif
        }
    }
    std::signal(number, SIG_DFL);
    std::raise(number);
}

void watchSignals() {
    static bool watching = false;
    if (watching) {
        return;
    }
    watching = true;
#if defined(_WIN32)
    constexpr std::array numbers{SIGINT, SIGTERM};
#else
    constexpr std::array numbers{SIGINT, SIGTERM, SIGHUP};
#endif
    for (int number : numbers) {
        if (std::signal(number, removeHeld) == SIG_IGN) {
            std::signal(number, SIG_IGN);
        }
    }
}

} // namespace

int TemporaryFiles::hold(const std::string& path) {
    watchSignals();
    if (path.size() >= pathRoom) {
        return -1;
    }
    for (std::size_t i = 0; i < slotCount; ++i) {
        if (held[i] == 0) {
            std::memcpy(paths[i].data(), path.c_str(), path.size() + 1);
            held[i] = 1;
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TemporaryFiles::release(int slot) {
    if (slot >= 0 && static_cast<std::size_t>(slot) < slotCount) {
        held[static_cast<std::size_t>(slot)] = 0;
    }
}

} // namespace quorlin::host
