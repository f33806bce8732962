#include "product/LegatoCore.h"

#include "component/MidiProtocol.h"

namespace quorlin {

std::int32_t LegatoCore::noteOn(std::int32_t note, std::int32_t position, std::int32_t length) {
    heldKeys.add(note, position, length);
    heldKeys.prune(position); // the note-on's own position is the present moment
    return heldKeys.count() >= 2 ? midi::portamentoOn : midi::portamentoOff;
}

void LegatoCore::controller(std::int32_t number) noexcept {
    if (midi::endsAllNotes(number)) {
        heldKeys.clear();
    }
}

std::optional<std::int32_t> LegatoCore::takeDueSpeed() noexcept {
    if (!speedPending) {
        return std::nullopt;
    }
    speedPending = false;
    if (speed < 0) {
        return std::nullopt;
    }
    return speed;
}

} // namespace quorlin
