#pragma once

#include <cstddef>
#include <cstdint>

namespace quorlin {

// The 16 bytes of an identifier exactly as the host passes and compares them.
struct InterfaceIdBytes {
    std::uint8_t bytes[16];
};
static_assert(sizeof(InterfaceIdBytes) == 16);

// A 16-byte identifier in the standard GUID memory layout.
class InterfaceId {
public:
    // Words as written in the identifier's text form: first word, both halves of the second,
    // then the third and fourth word most significant byte first.
    constexpr InterfaceId(std::uint32_t first, std::uint32_t second, std::uint32_t third,
                          std::uint32_t fourth)
        : value{{byteOf(first, 0), byteOf(first, 1), byteOf(first, 2), byteOf(first, 3),
                 byteOf(second, 2), byteOf(second, 3), byteOf(second, 0), byteOf(second, 1),
                 byteOf(third, 3), byteOf(third, 2), byteOf(third, 1), byteOf(third, 0),
                 byteOf(fourth, 3), byteOf(fourth, 2), byteOf(fourth, 1), byteOf(fourth, 0)}} {}

    // Copies 16 raw bytes; null gives the all-zero identifier.
    explicit InterfaceId(const void* rawBytes);

    constexpr InterfaceId(const InterfaceId&) = default;
    constexpr InterfaceId& operator=(const InterfaceId&) = default;
    constexpr virtual ~InterfaceId() {}

    const InterfaceIdBytes* raw() const { return &value; }
    const std::uint8_t* data() const { return value.bytes; }

    // Compared by content, never by address: the host passes its own copies.
    bool matches(const InterfaceIdBytes* other) const;
    bool operator==(const InterfaceId& other) const { return matches(other.raw()); }

private:
    static constexpr std::uint8_t byteOf(std::uint32_t word, int index) {
        return static_cast<std::uint8_t>(word >> (8 * index));
    }

    InterfaceIdBytes value;
};

// clang-format off
inline constexpr InterfaceId UnknownInterfaceId{0x00000000, 0x00000000, 0xC0000000, 0x00000046};
inline constexpr InterfaceId ModuleInterfaceId{0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625};
inline constexpr InterfaceId ModuleInterfaceAltId{0x573C8B06, 0x17BE488E, 0xB458400C, 0xD3EE099E};
inline constexpr InterfaceId ParameterListenerInterfaceId{0x0466B781, 0xA08611D5, 0xBECC00A0, 0xC9A636BC};
inline constexpr InterfaceId ParameterOwnerInterfaceId{0x0466B782, 0xA08611D5, 0xBECC00A0, 0xC9A636BC};
inline constexpr InterfaceId SkinInterfaceId{0x0466B783, 0xA08611D5, 0xBECC00A0, 0xC9A636BC};
inline constexpr InterfaceId SkinInterfaceAltId{0x4B99140E, 0x67E44D4C, 0xA93F8F4F, 0xCEE79F70};
inline constexpr InterfaceId AuxiliaryInterfaceId{0x5DB44BA4, 0xF1F741D5, 0xBD3121B9, 0x58BA994B};
inline constexpr InterfaceId ClassIdentityInterfaceId{0x7041A824, 0xFC9A488A, 0x8F07DAC0, 0x5061E933};
inline constexpr InterfaceId FactoryInterfaceId{0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F};
inline constexpr InterfaceId ParameterInterfaceId{0x0466B780, 0xA08611D5, 0xBECC00A0, 0xC9A636BC};
inline constexpr InterfaceId ParameterNotifierInterfaceId{0x6A1937C8, 0x5B9B4C5F, 0xBAA6082C, 0xEEAB330F};
inline constexpr InterfaceId ParameterNotifierInterfaceAltId{0xAF872C18, 0x62314AFF, 0xB5865060, 0x90323835};
inline constexpr InterfaceId HostMidiServicesId{0x17C91D3F, 0x86064D84, 0xA6CC12AB, 0x2C0996E7};
// clang-format on

} // namespace quorlin
