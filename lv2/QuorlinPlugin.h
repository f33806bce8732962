#pragma once

#include "legato/ChannelBank.h"
#include "lv2/OutputSequence.h"
#include "lv2/PluginLog.h"
#include "lv2/Urids.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <cstdint>

namespace quorlin::lv2 {

// One plug-in instance: the channel bank behind LV2's ports. The bank decides; this class reads
// the ports, walks the input, and writes the input's events with the bank's messages before
// them. Everything run needs is made in create; run itself allocates nothing, takes no lock and
// makes no call into the system.
class QuorlinPlugin {
public:
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
    QuorlinPlugin(double sampleRate, LV2_URID_Map& map, const LV2_Feature* const* features);

    // The controls, handed to the bank when they changed.
    void applyControls() noexcept;
    // `ahead`: the input's bytes from this event on, which the plug-in's own messages leave free.
    void handleMidi(std::uint32_t frame, const LV2_Atom& atom, std::uint32_t ahead) noexcept;
    void handleTransport(std::uint32_t frame, const LV2_Atom& atom, std::uint32_t ahead) noexcept;
    void sendSpeeds(std::uint32_t frame, std::uint32_t ahead) noexcept;
    // A message of the bank's own; when the output has no room the bank is told, so it asks again.
    void sendOwn(std::uint32_t frame, const ShortMessage& message, std::uint32_t ahead) noexcept;
    void reportDropped() noexcept;

    Urids urids;
    PluginLog log;
    OutputSequence output;
    ChannelBank bank;

    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* midiOut = nullptr;
    const float* speedPort = nullptr;
    const float* chordWindowPort = nullptr;
    const float* onChangePort = nullptr;
    const float* glideSourcePort = nullptr;
    const float* intervalLimitPort = nullptr;
    const float* tolerancePort = nullptr;

    std::uint32_t position = 0; // the running frame count at the start of the cycle
    float appliedSpeed = playing::speedDefault;
    float appliedWindow = playing::chordWindowDefault;
    bool appliedOnChange = false;
    bool appliedGlideSource = false;
    float appliedInterval = playing::intervalLimitDefault;
    float appliedTolerance = playing::legatoToleranceDefault;
    bool rolling = true;
};

} // namespace quorlin::lv2
