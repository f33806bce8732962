#pragma once

// How a call sequence reads its choices from the input bytes, and the fixed values it uses.

#include "ByteReader.h"
#include "component/InterfaceId.h"
#include "testing/RecordingHostMidiServices.h"
#include "testing/ReferenceHost.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace quorlin::reliability {

inline constexpr std::uint8_t productClassId[16] = {0xD1, 0x47, 0x2B, 0x9E, 0x3C, 0x6A, 0x85, 0x4F,
                                                    0xB1, 0xD0, 0x27, 0xC5, 0xE8, 0xA9, 0x4F, 0x3B};
inline constexpr const char* speedName = "portamentoSpeed";
inline constexpr std::size_t maxSteps = 2000;
inline constexpr std::uint32_t untouchedSize = 0xDEADBEEFu;
inline constexpr char untouchedByte = 0x5A;

// Every interface identifier the library and its host know.
extern const std::array<const InterfaceId*, 14> knownIds;

bool same(const InterfaceIdBytes& id, const InterfaceId& known);
bool sameAny(const InterfaceIdBytes& id, std::initializer_list<const InterfaceId*> candidates);
// A known identifier, one that differs from a known one in a single byte, the product's class
// identifier, or sixteen bytes straight from the input.
InterfaceIdBytes readIdentifier(ByteReader& in);
// Which of the module's interfaces answers an identifier: 0 module, 1 owner, 2 skin,
// 3 auxiliary, -1 none. The class identity interface is not exposed by this product.
int moduleInterfaceFor(const InterfaceIdBytes& id);
std::int32_t readStatus(ByteReader& in);
std::int32_t readImmediate(ByteReader& in);
std::string viewName(ByteReader& in);
std::string describe(const ExpectedSend& send);
ExpectedSend observed(const testing::SentEvent& sent);

} // namespace quorlin::reliability
