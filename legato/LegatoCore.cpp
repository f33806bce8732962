#include "legato/LegatoCore.h"

#include "legato/MidiProtocol.h"

namespace quorlin {

namespace {

// Ages in wrapping arithmetic, as far as 2^32 - 1 positions; limitAges keeps them well within.
std::uint32_t ageOf(std::int32_t then, std::int32_t now) noexcept {
    return static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(then);
}

// A table that remembers when its keys were let go (MidiKeyTable), so the tolerance applies.
template <class Keys>
concept RemembersReleases = requires(const Keys& keys) {
    keys.forEachReleased([](const HeldNote&, std::int32_t) {});
};

} // namespace

template <class Keys>
Decision BasicLegatoCore<Keys>::receive(std::int32_t kind, std::int32_t first, std::int32_t second,
                                        std::int32_t position, std::int32_t length) {
    switch (kind) {
    case midi::statusNoteOn:
        if (second != 0) {
            return {MessageKind::noteOn, noteOn(first, position, length)};
        }
        noteOff(first, position);
        return {MessageKind::noteOff, {}};
    case midi::statusNoteOff:
        noteOff(first, position);
        return {MessageKind::noteOff, {}};
    case midi::statusController:
        controller(first, second);
        return {MessageKind::controller, {}};
    default:
        return {};
    }
}

template <class Keys>
Glide BasicLegatoCore<Keys>::noteOn(std::int32_t note, std::int32_t position, std::int32_t length) {
    heldKeys.add(note, position, length);
    heldKeys.prune(position); // the note-on's own position is the present moment
    // A key struck within the window of the key before it joins that key's chord, and a chord's
    // later keys are struck, whatever else is held.
    bool inChord =
        chordOpen && ageOf(lastStrike, position) < static_cast<std::uint32_t>(chordWindow);
    lastStrike = position;
    chordOpen = chordWindow > 0;
    Source source = inChord           ? Source{}
                    : !takesLongWay() ? Source{heldKeys.count() >= 2, std::nullopt}
                                      : sourceFor(note, position);
    Glide glide{std::nullopt, source.named};
    std::int32_t value = source.glides ? midi::portamentoOn : midi::portamentoOff;
    if (portamentoOnChange && !portamentoOwed && value == lastPortamento) {
        return glide;
    }
    lastPortamento = value;
    portamentoOwed = false;
    glide.portamento = value;
    return glide;
}

template <class Keys>
typename BasicLegatoCore<Keys>::Source
BasicLegatoCore<Keys>::sourceFor(std::int32_t note, std::int32_t position) const noexcept {
    bool limited = intervalLimit < playing::intervalLimitNone;
    bool tolerant = RemembersReleases<Keys> && legatoTolerance > 0;
    auto near = [&](std::int32_t key) {
        return key != note && (!limited || (key > note ? key - note : note - key) <= intervalLimit);
    };
    // The most recently struck key that counts, and whether it was let go.
    std::optional<std::int32_t> latest;
    std::uint32_t latestAge = 0;
    bool latestReleased = false;
    auto consider = [&](const HeldNote& key, bool released) {
        std::uint32_t age = ageOf(key.startPosition, position);
        if (near(key.note) && (!latest || age < latestAge)) {
            latest = key.note;
            latestAge = age;
            latestReleased = released;
        }
    };
    heldKeys.forEach([&](const HeldNote& key) { consider(key, false); });
    if constexpr (RemembersReleases<Keys>) {
        if (tolerant) {
            auto tolerance = static_cast<std::uint32_t>(legatoTolerance);
            heldKeys.forEachReleased([&](const HeldNote& key, std::int32_t releasedAt) {
                if (ageOf(releasedAt, position) < tolerance) {
                    consider(key, true);
                }
            });
        }
    }
    if (!latest) {
        return {};
    }
    // A synthesizer glides on its own only from a key still down: one let go is always named.
    return {true, glideSource || latestReleased ? latest : std::nullopt};
}

template <class Keys>
void BasicLegatoCore<Keys>::controller(std::int32_t number, std::int32_t value) noexcept {
    if (number == midi::controllerPortamento) {
        lastPortamento = value;
    } else if (number == midi::controllerResetAllControllers) {
        // The synthesizer's portamento goes off and its portamento time back to its own: the
        // time is owed again, or the glides that follow would take the synthesizer's.
        lastPortamento = midi::portamentoOff;
        speedPending = true;
    } else if (midi::endsAllNotes(number)) {
        heldKeys.clear();
        chordOpen = false;
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
