#include "ByteReader.h"

#include <array>
#include <limits>

namespace quorlin::reliability {

namespace {

constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();

constexpr std::array<std::int32_t, 24> notableNumbers{
    0,      1,       -1,         2,           127,    128,    -128,   255,
    256,    -2,      480,        1000,        0x7FFF, 0x8000, 0xFFFF, 0x10000,
    lowest, highest, lowest + 1, highest - 1, 1001,   1002,   65537,  -65535};

const std::array<const char*, 24> notableTexts{"Off",
                                               "off",
                                               "Off ",
                                               "  42xyz",
                                               "+7",
                                               "-",
                                               "2147483647",
                                               "2147483648",
                                               "-2147483648",
                                               "-2147483649",
                                               "99999999999999999999",
                                               "00000000000000000000127",
                                               "\t\n\v\f\r 12",
                                               "1001",
                                               "1002",
                                               "1",
                                               "65537",
                                               "66537",
                                               "-5",
                                               "0",
                                               "editor",
                                               "inspector",
                                               "portamentoSpeed",
                                               ""};

} // namespace

std::uint8_t ByteReader::byte() {
    return offset < size ? data[offset++] : 0;
}

std::int32_t ByteReader::word() {
    std::uint32_t value = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        value |= static_cast<std::uint32_t>(byte()) << shift;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t ByteReader::number() {
    std::uint8_t kind = byte();
    switch (kind % 4) {
    case 0:
        return static_cast<std::int8_t>(byte());
    case 1:
        return notableNumbers[byte() % notableNumbers.size()];
    case 2:
        // Near a notable number, so sums and boundaries land on both sides.
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>(notableNumbers[byte() % notableNumbers.size()]) +
            static_cast<std::uint32_t>(static_cast<std::int8_t>(byte())));
    default:
        return word();
    }
}

std::int32_t ByteReader::dataValue() {
    std::uint8_t value = byte();
    return (value & 0x80) == 0 ? value : number();
}

std::string ByteReader::text() {
    std::uint8_t kind = byte();
    if (kind % 2 == 0) {
        return notableTexts[(kind / 2) % notableTexts.size()];
    }
    std::string out(static_cast<std::size_t>(byte() % 32), '\0');
    for (char& c : out) {
        c = static_cast<char>(byte());
    }
    return out;
}

void ByteReader::bytes(std::uint8_t* out, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = byte();
    }
}

} // namespace quorlin::reliability
