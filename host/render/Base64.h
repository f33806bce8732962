#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace quorlin::host {

// Standard base64 with padding, as data: URLs take it.
std::string base64(std::span<const std::uint8_t> bytes);

} // namespace quorlin::host
