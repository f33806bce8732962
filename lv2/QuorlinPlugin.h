#pragma once

#include "lv2/OutputSequence.h"
#include "lv2/PluginLog.h"
#include "lv2/Urids.h"
#include "product/LegatoCore.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory_resource>

namespace quorlin::lv2 {

// One plug-in instance: the legato core of each MIDI channel, driven from the ports. Everything
// run needs is made in create; run itself allocates nothing, takes no lock and makes no call
// into the system.
class QuorlinPlugin {
public:
    static constexpr std::size_t channelCount = 16;

    // Null when urid:map is missing or memory runs out; the reason goes to the host's log.
    static QuorlinPlugin* create(double sampleRate, const LV2_Feature* const* features) noexcept;
    QuorlinPlugin(const QuorlinPlugin&) = delete;
    QuorlinPlugin& operator=(const QuorlinPlugin&) = delete;

    void connectPort(std::uint32_t port, void* data) noexcept;
    // Every channel owes its portamento time again.
    void activate() noexcept;
    void run(std::uint32_t frames) noexcept;
    // Held keys are forgotten; events dropped for a full output are reported to the log.
    void deactivate() noexcept;

private:
    // A channel takes part from its first note-on: controller 5 goes only to channels that play.
    // Its held keys' room lies inside it, and so inside the plug-in's one object.
    struct Channel {
        alignas(HeldNote) std::byte room[HeldNoteTable::midiNoteCount * sizeof(HeldNote)];
        std::pmr::monotonic_buffer_resource memory{room, sizeof room,
                                                   std::pmr::null_memory_resource()};
        LegatoCore legato{&memory};
        bool playing = false;
    };

    QuorlinPlugin(double sampleRate, LV2_URID_Map& map, const LV2_Feature* const* features);

    void applySpeed() noexcept;
    // The chord window and the on-change mode, from their controls.
    void applyPlaying() noexcept;
    void handleMidi(std::uint32_t frame, const LV2_Atom& atom) noexcept;
    void handleTransport(std::uint32_t frame, const LV2_Atom& atom) noexcept;
    void startAll(std::uint32_t frame) noexcept;
    // Controller 5 for each playing channel that owes it.
    void sendDueSpeeds(std::uint32_t frame) noexcept;
    void sendDueSpeed(Channel& channel, std::uint8_t number, std::uint32_t frame) noexcept;
    // False when the output had no room for it.
    bool sendOwn(std::uint32_t frame, std::uint8_t status, std::uint8_t first,
                 std::uint8_t second) noexcept;
    void reportDropped() noexcept;

    Urids urids;
    PluginLog log;
    OutputSequence output;
    std::array<Channel, channelCount> channels;

    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* midiOut = nullptr;
    const float* speedPort = nullptr;
    const float* chordWindowPort = nullptr;
    const float* onChangePort = nullptr;
    double sampleRate;

    std::uint32_t position = 0;   // the running frame count at the start of the cycle
    std::uint32_t inputAhead = 0; // in place: input bytes not yet read, which must stay free
    std::int32_t appliedSpeed = LegatoCore::speedOff;
    std::int32_t appliedWindow = 0; // frames
    bool appliedOnChange = false;
    bool speedsOwed = false; // some playing channel owes controller 5
    bool rolling = true;
};

} // namespace quorlin::lv2
