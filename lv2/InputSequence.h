#pragma once

#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include <cstdint>

namespace quorlin::lv2 {

// The events of an input port's sequence, each checked to lie inside the sequence before any of
// it is read: a host's sizes are never trusted further than the sequence's own. An event whose
// header or body would run past the end ends the walk.
class InputSequence {
public:
    // A null sequence, or one too small for its body's header, has no events.
    explicit InputSequence(const LV2_Atom_Sequence* sequence) noexcept;

    // The next event that lies whole inside the sequence; null at the end.
    const LV2_Atom_Event* next() noexcept;
    // Bytes from the event last returned to the end of the sequence: what input is still to come.
    std::uint32_t remainingFromCurrent() const noexcept { return size - current; }

private:
    const std::uint8_t* body = nullptr;
    std::uint32_t size = 0;    // the body's, from its atom header
    std::uint32_t offset = 0;  // of the next event within the body
    std::uint32_t current = 0; // of the event last returned
};

// The property `key` of an object atom of `size` body bytes, read only within them; null when
// it is missing or its value does not fit.
const LV2_Atom* findProperty(const LV2_Atom_Object_Body& object, std::uint32_t size,
                             LV2_URID key) noexcept;

} // namespace quorlin::lv2
