#pragma once

#include "legato/HeldNoteTable.h"
#include "legato/MidiKeyTable.h"
#include "legato/PlayingRanges.h"

#include <cstdint>
#include <optional>

namespace quorlin {

// What a message is to the legato rule.
enum class MessageKind : std::uint8_t {
    noteOn,     // a note-on with a velocity above 0
    noteOff,    // a note-off, or a note-on with velocity 0
    controller, // a control change
    other,      // anything else: it passes by the core untouched
};

// What goes out right before a note-on: the controller 65 value, unless only changes are sent and
// the channel has it already; and controller 84 (Portamento Control) with the key it glides
// from, when that key is to be named. Both are data bytes of a message. Kept narrow so that a
// Decision travels in registers: returned through memory it cost the LV2 plug-in about 40% more
// per event.
struct Glide {
    std::optional<std::int16_t> portamento;
    std::optional<std::int16_t> source;
};

// The core's answer to one message: what it is, and for a note-on what goes before it.
struct Decision {
    MessageKind kind = MessageKind::other;
    Glide glide;
};

// Quorlin's legato rule for one stream of notes, free of any plug-in format: which keys are
// held, whether the next note-on glides (controller 65), and when the portamento time
// (controller 5) is owed. Every format is an adapter around it: the module behind the binary
// contract keeps one for all it is sent (LegatoCore, whose table takes any 32-bit note number),
// the channel bank one per MIDI channel (ChannelCore, whose table holds keys 0..127 in place).
// `Keys` is the table of held keys; the rule is the same for both.
//
// Positions are the caller's running count (ticks, frames), compared in wrapping 32-bit
// arithmetic. Nothing here sends: the caller asks for a decision and sends what it is told.
// No operation allocates for the note numbers 0..127, whose room is taken at construction; no
// operation locks or blocks. One caller at a time: the object is not shared between threads.
template <class Keys> class BasicLegatoCore {
public:
    BasicLegatoCore() = default;
    BasicLegatoCore(const BasicLegatoCore&) = delete;
    BasicLegatoCore& operator=(const BasicLegatoCore&) = delete;

    // The chord window, in positions: a key struck less than this after the key before it
    // belongs to that key's chord, however long the roll. Only a chord's first key may glide
    // (from an older held key); the others get controller 65 at 0 and do not count for one
    // another. 0, the default, makes no chords. Any time; constant time.
    void setChordWindow(std::int32_t positions) noexcept { chordWindow = positions; }
    // Held keys more than `semitones` from a new note do not count for it and are never its
    // source; playing::intervalLimitNone (the default) or more: no limit. Any time.
    void setIntervalLimit(std::int32_t semitones) noexcept { intervalLimit = semitones; }
    // True: a note that glides names its source with controller 84, the most recently struck
    // key that counts for it. False, the default: only a source that was let go is named.
    void setGlideSource(bool name) noexcept { glideSource = name; }
    // The legato tolerance, in positions: a key let go less than this before a note-on still
    // counts as held for it, and is named with controller 84 when it is the source. Only a
    // table that remembers releases (MidiKeyTable) heeds it. 0, the default: keys still down.
    void setLegatoTolerance(std::int32_t positions) noexcept { legatoTolerance = positions; }
    // True: controller 65 only when its value differs from the last one on the channel, ours or
    // one passing through. False, the default: before every note-on. Any time; constant time.
    void setPortamentoOnChange(bool onChange) noexcept { portamentoOnChange = onChange; }

    // The one dispatch every format goes through: a message of `kind` (a status without its
    // channel: the module hands over the host's whole status, so one that carries channel bits
    // is other) with its data bytes `first` and `second`, at `position`, with `length` for a
    // note-on that has one. Note-ons go to noteOn, note-offs to noteOff, controllers to
    // controller. Only noteOn can throw, and only as it says.
    Decision receive(std::int32_t kind, std::int32_t first, std::int32_t second,
                     std::int32_t position, std::int32_t length);

    // A note-on of `note` at `position`, sounding `length` (0 or less: until its note-off). Holds
    // the key, lets go of keys whose length ended at or before `position`, and answers what goes
    // before the note-on: controller 65 at 127 when another key counts as held, else 0 (nothing
    // when only changes are sent and the channel has that value already), and the key to name
    // with controller 84, if any. Costs a search and one pass over the held keys (and, with a
    // tolerance, the keys let go). Only a note number outside 0..127, with the room used up,
    // can need memory (only in LegatoCore): std::bad_alloc then, and nothing has changed.
    Glide noteOn(std::int32_t note, std::int32_t position, std::int32_t length);
    // A note-off at `position`, or a note-on with velocity 0: the key is no longer held; a key
    // that is not held is ignored. Costs a search.
    void noteOff(std::int32_t note, std::int32_t position) noexcept {
        if constexpr (requires { heldKeys.release(note, position); }) {
            heldKeys.release(note, position);
        } else {
            heldKeys.remove(note);
        }
    }
    // A controller that passes through. All Sound Off, All Notes Off and the mode messages
    // (Omni, Mono, Poly) end every held note, so the keys are let go and the next note-on sends
    // controller 65 whatever its value; a controller 65 is the channel's value from now on, and
    // Reset All Controllers sets it to 0 on the synthesizer and owes the portamento time again,
    // which the synthesizer has reset too. Constant time.
    void controller(std::int32_t number, std::int32_t value) noexcept;
    // The controller 65 that noteOn asked for did not reach the channel (an output was full):
    // the next note-on sends one whatever its value. Constant time.
    void portamentoLost() noexcept { portamentoOwed = true; }

    // The transport stopped: every held key is forgotten. Constant time.
    void stop() noexcept {
        heldKeys.clear();
        chordOpen = false;
    }
    // The transport started (or the plug-in was activated): the portamento time is owed again,
    // and the next note-on sends controller 65 whatever its value.
    void start() noexcept {
        speedPending = true;
        portamentoOwed = true;
    }
    // Keys struck more than `oldest` positions before `position` are taken as struck then: a
    // caller that may hold keys longer than 2^31 positions calls this at least every 2^30
    // positions, so that the ages the chord window measures never wrap. Costs a pass.
    void limitAges(std::int32_t position, std::int32_t oldest) noexcept {
        heldKeys.limitAges(position, oldest);
        if (static_cast<std::uint32_t>(position) - static_cast<std::uint32_t>(lastStrike) >
            static_cast<std::uint32_t>(oldest)) {
            lastStrike = static_cast<std::int32_t>(static_cast<std::uint32_t>(position) -
                                                   static_cast<std::uint32_t>(oldest));
        }
    }

    // The portamento time changed: -1 ("Off") or 0..127, as the caller's parameter holds it. It
    // is owed from now on, even when the value repeats the last. Constant time.
    void setSpeed(std::int32_t value) noexcept {
        speed = value;
        speedPending = true;
    }

    // The controller 5 value to send now, or nothing. Either way the debt is paid: "Off" owes
    // no controller and uses the request up. Constant time.
    std::optional<std::int32_t> takeDueSpeed() noexcept;

    const Keys& heldNotes() const noexcept { return heldKeys; }

private:
    // Whether another key counts as held for the note-on of `note` at `position`, and the key
    // to name with controller 84 when it glides.
    struct Source {
        bool glides = false;
        std::optional<std::int32_t> named;
    };
    // With no option that needs it, the plain rule answers: any other key held glides.
    bool takesLongWay() const noexcept {
        return intervalLimit < playing::intervalLimitNone || legatoTolerance > 0 || glideSource;
    }
    // The long way: the most recently struck key that counts for the note-on, if any.
    Source sourceFor(std::int32_t note, std::int32_t position) const noexcept;

    std::int32_t chordWindow = 0;
    std::int32_t intervalLimit = playing::intervalLimitNone;
    bool glideSource = false;
    std::int32_t legatoTolerance = 0;
    std::int32_t lastStrike = 0; // the position of the channel's last note-on
    bool chordOpen = false;      // a note-on within the window of lastStrike joins its chord
    bool portamentoOnChange = false;
    std::int32_t lastPortamento = 0; // the last controller 65 that went out on the channel
    bool portamentoOwed = true;      // the next note-on sends one whatever its value
    std::int32_t speed = playing::speedOff;
    bool speedPending = false;
    Keys heldKeys;
};

// The module's core: any 32-bit note number from a host.
using LegatoCore = BasicLegatoCore<HeldNoteTable>;
// A MIDI channel's core: keys 0..127, in place.
using ChannelCore = BasicLegatoCore<MidiKeyTable>;

extern template class BasicLegatoCore<HeldNoteTable>;
extern template class BasicLegatoCore<MidiKeyTable>;

} // namespace quorlin
