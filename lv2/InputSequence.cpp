#include "lv2/InputSequence.h"

namespace quorlin::lv2 {

namespace {

// An atom's header and body, padded as sequences and objects lay them out, in 64 bits: no size
// a host writes can wrap.
std::uint64_t paddedSize(std::uint64_t headerSize, std::uint32_t bodySize) noexcept {
    return (headerSize + bodySize + 7) & ~std::uint64_t{7};
}

} // namespace

InputSequence::InputSequence(const LV2_Atom_Sequence* sequence) noexcept {
    if (sequence == nullptr || sequence->atom.size < sizeof(LV2_Atom_Sequence_Body)) {
        return;
    }
    body = reinterpret_cast<const std::uint8_t*>(&sequence->body);
    size = sequence->atom.size;
    offset = sizeof(LV2_Atom_Sequence_Body);
    current = offset;
}

const LV2_Atom_Event* InputSequence::next() noexcept {
    if (size - offset < sizeof(LV2_Atom_Event)) {
        current = size;
        return nullptr;
    }
    const auto* event = reinterpret_cast<const LV2_Atom_Event*>(body + offset);
    if (event->body.size > size - offset - sizeof(LV2_Atom_Event)) {
        offset = current = size; // its body runs past the end: nothing after it can be trusted
        return nullptr;
    }
    current = offset;
    std::uint64_t end = offset + paddedSize(sizeof(LV2_Atom_Event), event->body.size);
    offset = end < size ? static_cast<std::uint32_t>(end) : size;
    return event;
}

const LV2_Atom* findProperty(const LV2_Atom_Object_Body& object, std::uint32_t size,
                             LV2_URID key) noexcept {
    const auto* start = reinterpret_cast<const std::uint8_t*>(&object);
    std::uint64_t offset = sizeof(LV2_Atom_Object_Body);
    while (offset + sizeof(LV2_Atom_Property_Body) <= size) {
        const auto* property = reinterpret_cast<const LV2_Atom_Property_Body*>(start + offset);
        std::uint64_t end = offset + sizeof(LV2_Atom_Property_Body) + property->value.size;
        if (end > size) {
            return nullptr;
        }
        if (property->key == key) {
            return &property->value;
        }
        offset += paddedSize(sizeof(LV2_Atom_Property_Body), property->value.size);
    }
    return nullptr;
}

} // namespace quorlin::lv2
