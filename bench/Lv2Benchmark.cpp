// What one MIDI event costs in an LV2 plug-in's run, for Quorlin and for LV2 MIDI plug-ins of
// Debian under the same lilv harness: a dense mixed stream on 1 and on 16 active channels, and
// a 64-frame cycle carrying what one MIDI cable can. Prints a Markdown table; exits non-zero
// when Quorlin's run allocates or a plug-in is missing.

#include "AllocationCount.h"
#include "PluginUnderTest.h"
#include "legato/MidiProtocol.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace midi = quorlin::midi;
using quorlin::testing::PluginUnderTest;
using Clock = std::chrono::steady_clock;

constexpr const char* quorlinUri = "https://www.tessivar.com/plugins/quorlin";

struct Subject {
    const char* label;
    const char* uri;
};

const Subject subjects[] = {
    {"Quorlin", quorlinUri},
    {"eg-fifths (lv2-examples)", "http://lv2plug.in/plugins/eg-fifths"},
    {"eg-midigate (lv2-examples)", "http://lv2plug.in/plugins/eg-midigate"},
    {"x42 MIDI Thru (x42-plugins)", "http://gareus.org/oss/lv2/midifilter#passthru"},
    {"x42 mono legato (x42-plugins)", "http://gareus.org/oss/lv2/midifilter#monolegato"},
};

constexpr std::uint32_t denseFrames = 256;
constexpr std::uint32_t denseEvents = 128;
constexpr std::uint32_t cableFrames = 64;
constexpr double sampleRate = 48000.0;
// A MIDI 1.0 cable: 31,250 baud, 10 bits a byte, three bytes a message.
constexpr double cableEventsPerSecond = 31250.0 / 10.0 / 3.0;
constexpr int repetitions = 15;
constexpr int runsPerRepetition = 400;

// The dense stream's eight-step figure on one channel: two overlapping notes, a controller,
// a note-off, a third note, a controller, the two remaining note-offs. A note step names which
// of the group's three keys it plays.
struct FigureStep {
    std::int32_t kind;
    std::uint32_t key;
};
constexpr FigureStep figure[] = {
    {midi::statusNoteOn, 0},  {midi::statusNoteOn, 1},  {midi::statusController, 0},
    {midi::statusNoteOff, 0}, {midi::statusNoteOn, 2},  {midi::statusController, 0},
    {midi::statusNoteOff, 1}, {midi::statusNoteOff, 2},
};
constexpr std::uint32_t figureSteps = sizeof figure / sizeof figure[0];
constexpr std::uint8_t controllerModulation = 1;
constexpr std::uint8_t velocity = 100;

void queueDense(PluginUnderTest& plugin, int channels) {
    for (std::uint32_t step = 0; step < denseEvents; ++step) {
        std::uint32_t group = step / figureSteps;
        const FigureStep& at = figure[step % figureSteps];
        std::uint32_t channel = group % static_cast<std::uint32_t>(channels);
        auto status = static_cast<std::uint8_t>(static_cast<std::uint32_t>(at.kind) | channel);
        auto key = static_cast<std::uint8_t>(48 + (group * 5 + at.key * 4) % 36);
        std::uint32_t frame = step * (denseFrames / denseEvents);
        if (at.kind == midi::statusController) {
            plugin.queue(frame,
                         {status, controllerModulation, static_cast<std::uint8_t>(step % 128)});
        } else {
            plugin.queue(frame,
                         {status, key, at.kind == midi::statusNoteOn ? velocity : std::uint8_t{0}});
        }
    }
}

struct Case {
    std::string label;
    std::unique_ptr<PluginUnderTest> plugin;
    std::uint32_t frames;
    double eventsPerRun;
    double bestNanoseconds = 1e300; // per run
};

double timeRuns(Case& entry) {
    auto begin = Clock::now();
    for (int run = 0; run < runsPerRepetition; ++run) {
        entry.plugin->runOnly(entry.frames);
    }
    std::chrono::duration<double, std::nano> elapsed = Clock::now() - begin;
    return elapsed.count() / runsPerRepetition;
}

} // namespace

// The table, and non-zero when Quorlin's run allocated.
int measure() {
    using quorlin::testing::allocationCount;
    std::vector<Case> cases;
    for (int channels : {1, 16}) {
        for (const Subject& subject : subjects) {
            Case entry{subject.label, std::make_unique<PluginUnderTest>(subject.uri), denseFrames,
                       denseEvents};
            entry.label += channels == 1 ? ", 1 channel" : ", 16 channels";
            queueDense(*entry.plugin, channels);
            cases.push_back(std::move(entry));
        }
    }
    // The cable's 1.39 events per 64 frames, rounded up to 2, with all 16 channels of Quorlin
    // active.
    Case cable{"Quorlin, 64-frame cycle, 2 events", std::make_unique<PluginUnderTest>(quorlinUri),
               cableFrames, 2};
    cable.plugin->activate();
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        cable.plugin->queue(channel,
                            {static_cast<std::uint8_t>(midi::statusNoteOn | channel), 60, 100});
        cable.plugin->queue(channel + 20u,
                            {static_cast<std::uint8_t>(midi::statusNoteOff | channel), 60, 0});
    }
    cable.plugin->runOnly(cableFrames);
    cable.plugin->deactivate();
    cable.plugin->clearInput();
    cable.plugin->queue(10, {0x93, 62, 100});
    cable.plugin->queue(40, {0x83, 62, 0});
    cases.push_back(std::move(cable));

    int status = 0;
    for (Case& entry : cases) {
        if (entry.label.starts_with("Quorlin")) {
            entry.plugin->setControl("speed", 64.0f);
        }
        entry.plugin->activate();
        for (int run = 0; run < 50; ++run) {
            entry.plugin->runOnly(entry.frames);
        }
    }
    std::int64_t before = allocationCount();
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        // Interleaved, so a busy spell of the machine hits every case alike.
        for (Case& entry : cases) {
            entry.bestNanoseconds = std::min(entry.bestNanoseconds, timeRuns(entry));
        }
    }
    std::int64_t allocations = allocationCount() - before;

    auto perEvent = [](const Case& entry) { return entry.bestNanoseconds / entry.eventsPerRun; };
    std::printf("| Plug-in and stream | ns per run | ns per event | Per event / eg-fifths |\n");
    std::printf("|---|---:|---:|---:|\n");
    for (std::size_t index = 0; index + 1 < cases.size(); ++index) {
        const Case& entry = cases[index];
        const Case& fifths = cases[index - index % std::size(subjects) + 1];
        std::printf("| %s | %.0f | %.1f | %.2fx |\n", entry.label.c_str(), entry.bestNanoseconds,
                    perEvent(entry), perEvent(entry) / perEvent(fifths));
    }
    const Case& cableCase = cases.back();
    double cycleNanoseconds = cableFrames / sampleRate * 1e9;
    double cableEvents = cableEventsPerSecond * cableFrames / sampleRate;
    const Case& quorlin16 = cases[std::size(subjects)];
    std::printf("\nA 64-frame cycle at 48 kHz lasts %.0f ns; a full MIDI cable brings %.2f events "
                "into it.\n",
                cycleNanoseconds, cableEvents);
    std::printf("- from the dense stream's cost per event (16 channels): %.1f ns, %.4f%% of the "
                "cycle\n",
                cableEvents * perEvent(quorlin16),
                100.0 * cableEvents * perEvent(quorlin16) / cycleNanoseconds);
    std::printf("- measured, a whole run of 64 frames with 2 events, fixed costs included: %.0f "
                "ns, %.4f%% of the cycle\n",
                cableCase.bestNanoseconds, 100.0 * cableCase.bestNanoseconds / cycleNanoseconds);
    std::printf("\noperator new calls during the timed runs (C++ plug-ins): %lld\n",
                static_cast<long long>(allocations));
    if (allocations != 0) {
        status = 1;
    }
    return status;
}

int main() {
    try {
        return measure();
    } catch (const std::exception& error) {
        // A plug-in missing from LV2_PATH, or one that does not instantiate.
        std::fprintf(stderr, "quorlin_lv2_benchmark: %s\n", error.what());
        return 1;
    }
}
