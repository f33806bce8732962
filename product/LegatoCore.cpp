#include "product/LegatoCore.h"

#include "component/MidiProtocol.h"

namespace quorlin {

std::optional<std::int32_t> LegatoCore::noteOn(std::int32_t note, std::int32_t position,
                                               std::int32_t length) {
    heldKeys.add(note, position, length);
    heldKeys.prune(position); // the note-on's own position is the present moment
    std::int32_t value =
        keysCounted(note, position) >= 2 ? midi::portamentoOn : midi::portamentoOff;
    if (portamentoOnChange && !portamentoOwed && value == lastPortamento) {
        return std::nullopt;
    }
    lastPortamento = value;
    portamentoOwed = false;
    return value;
}

std::uint32_t LegatoCore::keysCounted(std::int32_t note, std::int32_t position) const noexcept {
    if (chordWindow <= 0) {
        return heldKeys.count();
    }
    // The new key itself was struck now; the others count once struck a window ago or earlier,
    // measured in wrapping 32-bit arithmetic like the positions themselves.
    std::uint32_t counted = 0;
    for (const HeldNote& key : heldKeys) {
        auto age = static_cast<std::int32_t>(static_cast<std::uint32_t>(position) -
                                             static_cast<std::uint32_t>(key.startPosition));
        counted += key.note == note || age >= chordWindow ? 1 : 0;
    }
    return counted;
}

void LegatoCore::controller(std::int32_t number, std::int32_t value) noexcept {
    if (number == midi::controllerPortamento) {
        lastPortamento = value;
    } else if (midi::endsAllNotes(number)) {
        heldKeys.clear();
        portamentoOwed = true;
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
