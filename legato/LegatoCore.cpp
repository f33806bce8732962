#include "legato/LegatoCore.h"

#include "legato/MidiProtocol.h"

namespace quorlin {

template <class Keys>
Decision BasicLegatoCore<Keys>::receive(std::int32_t kind, std::int32_t first, std::int32_t second,
                                        std::int32_t position, std::int32_t length) {
    switch (kind) {
    case midi::statusNoteOn:
        if (second != 0) {
            return {MessageKind::noteOn, noteOn(first, position, length)};
        }
        noteOff(first);
        return {MessageKind::noteOff, std::nullopt};
    case midi::statusNoteOff:
        noteOff(first);
        return {MessageKind::noteOff, std::nullopt};
    case midi::statusController:
        controller(first, second);
        return {MessageKind::controller, std::nullopt};
    default:
        return {};
    }
}

template <class Keys>
std::optional<std::int32_t> BasicLegatoCore<Keys>::noteOn(std::int32_t note, std::int32_t position,
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

template <class Keys>
std::uint32_t BasicLegatoCore<Keys>::keysCounted(std::int32_t note,
                                                 std::int32_t position) const noexcept {
    if (chordWindow <= 0) {
        return heldKeys.count();
    }
    // The new key itself was struck now; the others count once struck a window ago or earlier.
    // Ages are taken from the positions in wrapping arithmetic, as far as 2^32 - 1 positions;
    // limitAges keeps them well within that.
    std::uint32_t counted = 0;
    auto window = static_cast<std::uint32_t>(chordWindow);
    heldKeys.forEach([&](const HeldNote& key) {
        std::uint32_t age =
            static_cast<std::uint32_t>(position) - static_cast<std::uint32_t>(key.startPosition);
        counted += key.note == note || age >= window ? 1 : 0;
    });
    return counted;
}

template <class Keys>
void BasicLegatoCore<Keys>::controller(std::int32_t number, std::int32_t value) noexcept {
    if (number == midi::controllerPortamento) {
        lastPortamento = value;
    } else if (number == midi::controllerResetAllControllers) {
        lastPortamento = midi::portamentoOff;
    } else if (midi::endsAllNotes(number)) {
        heldKeys.clear();
        portamentoOwed = true;
    }
}

template <class Keys> std::optional<std::int32_t> BasicLegatoCore<Keys>::takeDueSpeed() noexcept {
    if (!speedPending) {
        return std::nullopt;
    }
    speedPending = false;
    if (speed < 0) {
        return std::nullopt;
    }
    return speed;
}

template class BasicLegatoCore<HeldNoteTable>;
template class BasicLegatoCore<MidiKeyTable>;

} // namespace quorlin
