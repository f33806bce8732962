#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorlin::reliability {

// Turns fuzz input into call arguments. Once the input is used up every read yields zeros, so
// any input decodes to a finite sequence.
class ByteReader {
public:
    ByteReader(const std::uint8_t* bytes, std::size_t length) : data(bytes), size(length) {}

    bool atEnd() const { return offset >= size; }
    std::uint8_t byte();
    std::int32_t word();
    // A 32-bit value that is often one where code changes course: small numbers, MIDI limits,
    // 16-bit boundaries and the ends of the 32-bit range.
    std::int32_t number();
    // Mostly a MIDI data value, sometimes any number.
    std::int32_t dataValue();
    // Text of up to 31 bytes (zero bytes included), or one of the texts the readers of decimal
    // numbers and names trip over.
    std::string text();
    void bytes(std::uint8_t* out, std::size_t count);

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset = 0;
};

} // namespace quorlin::reliability
