#pragma once

#include "lv2/Cycle.h"
#include "lv2/EventPool.h"
#include "lv2/ModuleChannel.h"
#include "lv2/ModuleClass.h"
#include "lv2/OutputSequence.h"
#include "lv2/PluginLog.h"
#include "lv2/PortIndex.h"
#include "lv2/Urids.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>

#include <array>
#include <cstdint>
#include <memory>

namespace quorlin::lv2 {

// One plug-in instance: a module instance per MIDI channel, driven from the ports. Everything
// run needs is made in create; run itself allocates nothing and takes no lock.
class QuorlinPlugin {
public:
    static constexpr std::int32_t channelCount = 16;
    // Events the module holds at once per channel: one controller at a time.
    static constexpr std::size_t eventsPerChannel = 4;

    // Null when urid:map is missing, memory runs out or the module refuses; the reason goes to
    // the host's log.
    static QuorlinPlugin* create(const LV2_Feature* const* features) noexcept;
    QuorlinPlugin(const QuorlinPlugin&) = delete;
    QuorlinPlugin& operator=(const QuorlinPlugin&) = delete;
    ~QuorlinPlugin();

    void connectPort(std::uint32_t port, void* data) noexcept;
    void activate() noexcept;
    void run(std::uint32_t frames) noexcept;
    void deactivate() noexcept;

private:
    QuorlinPlugin(LV2_URID_Map& map, const LV2_Feature* const* features);
    bool open() noexcept;

    void applySpeed() noexcept;
    void handleMidi(std::uint32_t frame, const LV2_Atom& atom) noexcept;
    void handleTransport(std::uint32_t frame, const LV2_Atom_Object& object) noexcept;
    void reportDropped() noexcept;

    Urids urids;
    PluginLog log;
    ModuleClass moduleClass;
    EventPool pool;
    OutputSequence output;
    Cycle cycle;
    std::array<std::unique_ptr<ModuleChannel>, channelCount> channels;

    const LV2_Atom_Sequence* midiIn = nullptr;
    LV2_Atom_Sequence* midiOut = nullptr;
    const float* speedPort = nullptr;

    std::uint32_t position = 0; // the running frame count at the start of the next cycle
    std::int32_t appliedSpeed = -1;
    bool rolling = true;
};

} // namespace quorlin::lv2
