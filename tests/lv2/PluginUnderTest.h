#pragma once

#include "LogRecorder.h"
#include "UridMap.h"

#include <lilv/lilv.h>
#include <lv2/atom/forge.h>

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <vector>

namespace quorlin::testing {

// A MIDI event as the plug-in's output sequence holds it.
struct OutputEvent {
    std::uint32_t frame;
    std::vector<std::uint8_t> bytes;
    bool operator==(const OutputEvent&) const = default;
};
void PrintTo(const OutputEvent& event, std::ostream* out);

// An LV2 plug-in found through lilv in LV2_PATH and instantiated with this host's urid:map and
// log:log, its MIDI ports connected to buffers of the host. Events queued before run are the
// input of that cycle; run answers what the plug-in wrote.
class PluginUnderTest {
public:
    static constexpr std::uint32_t defaultOutputCapacity = 16384;
    // Audio ports, for plug-ins that have them, get silence for cycles up to this long.
    static constexpr std::size_t maxAudioFrames = 4096;

    explicit PluginUnderTest(const std::string& uri,
                             std::uint32_t outputCapacity = defaultOutputCapacity,
                             double sampleRate = 48000.0);
    PluginUnderTest(const PluginUnderTest&) = delete;
    PluginUnderTest& operator=(const PluginUnderTest&) = delete;
    ~PluginUnderTest();

    void activate();
    void deactivate();
    // The control port of that symbol; ignored when the plug-in has none.
    void setControl(const char* symbol, float value);
    // The buffer of a control port, for hosts that write it from their audio thread.
    float& control(const char* symbol);
    // Leaves the port unconnected (null), as a careless host may.
    void disconnect(const char* symbol);
    // Allocations through operator new while lilv instantiated the plug-in.
    std::int64_t instantiationAllocations() const { return allocationsInInstantiate; }

    void queue(std::uint32_t frame, std::initializer_list<std::uint8_t> bytes);
    void queue(std::uint32_t frame, const std::vector<std::uint8_t>& bytes);
    // A time:Position with its speed; typed atom:Blank as older hosts send it, or atom:Object.
    void queueTransport(std::uint32_t frame, float speed, bool blank = false);
    void clearInput();

    // One cycle with the queued input, which stays queued; the plug-in's output decoded.
    std::vector<OutputEvent> run(std::uint32_t frames);
    // One cycle with nothing done on the host's side but resetting the output's capacity.
    void runOnly(std::uint32_t frames);
    // The size the output sequence's atom reported after the last run.
    std::uint32_t outputAtomSize() const;
    // One cycle whose whole input is `sequence`, in a heap block of exactly its size, as a
    // careless host may lay it out; in place, the output port is given that block too.
    std::vector<OutputEvent> runWith(const std::vector<std::uint8_t>& sequence,
                                     std::uint32_t frames, bool inPlace = false);
    LV2_URID map(const char* uri) { return urids.map(uri); }

    std::vector<std::string> logLines() { return log.lines(); }

private:
    std::uint32_t portIndex(const char* symbol) const;
    std::vector<OutputEvent> decode(const LV2_Atom_Sequence& sequence) const;

    UridMap urids;
    LogRecorder log;
    const LilvPlugin* plugin = nullptr;
    LilvInstance* instance = nullptr;
    std::vector<std::uint64_t> input; // 8-byte aligned atom buffers
    std::vector<std::uint64_t> output;
    std::uint32_t midiInIndex = 0;
    std::uint32_t midiOutIndex = 0;
    std::uint32_t outputCapacity;
    std::vector<float> controls;
    std::vector<std::vector<float>> audio;
    LV2_Atom_Forge forge{};
    LV2_Atom_Forge_Frame sequenceFrame{};
    LV2_URID midiEvent = 0;
    bool active = false;
    std::int64_t allocationsInInstantiate = 0;
};

} // namespace quorlin::testing
