#pragma once

#include <array>
#include <cstdint>

// Who the product is to a host: its class identifier and the texts the factory reports. The
// factory builds its records from these, and checks compare against them.
namespace quorlin::product {

// The class identifier as the host passes it, in the identifier's 16-byte memory layout.
inline constexpr std::array<std::uint8_t, 16> classIdBytes = {
    0xD1, 0x47, 0x2B, 0x9E, 0x3C, 0x6A, 0x85, 0x4F, 0xB1, 0xD0, 0x27, 0xC5, 0xE8, 0xA9, 0x4F, 0x3B};

inline constexpr char vendor[] = "Tessivar";
inline constexpr char webAddress[] = "https://www.tessivar.com/quorlin";
inline constexpr char contactAddress[] = "mailto:support@tessivar.com";

inline constexpr char className[] = "Quorlin";
inline constexpr char classCategory[] = "Midi Module Class";
// Instances of the class a host may create: no limit.
inline constexpr std::int32_t classCardinality = 0x7FFFFFFF;

} // namespace quorlin::product
