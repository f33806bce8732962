#pragma once

#include <cstddef>
#include <cstdint>

// One raw-data resource of the module, as the build embeds it.
struct StandInResource {
    std::uint16_t type;
    std::uint16_t number;
    std::uint16_t language;
    const unsigned char* data;
    std::size_t size;
};

// Generated at build time from the same files the Windows resource script names.
extern const StandInResource standInResources[];
extern const std::size_t standInResourceCount;
