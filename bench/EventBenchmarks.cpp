#include "EventBenchmarks.h"

#include "BenchmarkOutcome.h"
#include "EventPaths.h"
#include "legato/MidiProtocol.h"

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace quorlin::bench {

namespace {

BenchmarkEvent noteOnEvent(std::int32_t key, std::int32_t position, std::int32_t length) {
    return BenchmarkEvent{{midi::statusNoteOn, key, 100, position, length, 0}};
}

BenchmarkEvent noteOffEvent(std::int32_t key) {
    return BenchmarkEvent{{midi::statusNoteOff, key, 64, 0, 0, 0}};
}

template <class Step> void warmUp(Step& step) {
    for (int i = 0; i < warmUpRounds; ++i) {
        step();
    }
}

// A controller (volume): the plug-in passes it on unchanged.
template <class Path> void controller(benchmark::State& state) {
    onPath<Path>(state, [&](PluginRig& rig, Path& path) {
        BenchmarkEvent event{midi::statusController, 7, 100, 0, 0, 0};
        auto step = [&] { benchmark::DoNotOptimize(path.passThrough(&event)); };
        measureSteadyState(state, rig.host(), step,
                           {.created = 0, .outputs = 0, .forwards = 1, .createdValueSum = 0});
    });
}

// Detached playing: each key is released before the next is struck, so every note-on finds
// no other key held. One unit is a note-on and its note-off.
template <class Path> void noteOnAlone(benchmark::State& state) {
    onPath<Path>(state, [&](PluginRig& rig, Path& path) {
        std::array<BenchmarkEvent, 12> ons;
        std::array<BenchmarkEvent, 12> offs;
        for (std::size_t i = 0; i < ons.size(); ++i) {
            auto key = static_cast<std::int32_t>(60 + i);
            ons[i] = noteOnEvent(key, 0, 0);
            offs[i] = noteOffEvent(key);
        }
        std::size_t next = 0;
        auto step = [&] {
            benchmark::DoNotOptimize(path.noteOn(&ons[next], midi::portamentoOff));
            benchmark::DoNotOptimize(path.noteOff(&offs[next]));
            next = next + 1 == ons.size() ? 0 : next + 1;
        };
        measureSteadyState(state, rig.host(), step,
                           {.created = 1, .outputs = 3, .forwards = 0, .createdValueSum = 0});
    });
}

// Eight keys held without lengths; each note-on strikes one of them again, so the table keeps
// eight entries and every note-on walks all of them.
template <class Path> void noteOnEightHeld(benchmark::State& state) {
    onPath<Path>(state, [&](PluginRig& rig, Path& path) {
        std::array<BenchmarkEvent, 8> ons;
        for (std::size_t i = 0; i < ons.size(); ++i) {
            ons[i] = noteOnEvent(static_cast<std::int32_t>(60 + 2 * i), 0, 0);
            path.noteOn(&ons[i], i == 0 ? midi::portamentoOff : midi::portamentoOn);
        }
        std::size_t next = 0;
        auto step = [&] {
            benchmark::DoNotOptimize(path.noteOn(&ons[next], midi::portamentoOn));
            next = next + 1 == ons.size() ? 0 : next + 1;
        };
        measureSteadyState(
            state, rig.host(), step,
            {.created = 1, .outputs = 2, .forwards = 0, .createdValueSum = midi::portamentoOn});
    });
}

// Note-ons that carry lengths: each starts one position after the previous and lasts
// `length` positions, so it ends the one struck `length` before it. Every note-on inserts one
// entry and prunes one, with `length` keys held counting the new one.
template <class Path, std::int32_t length> void noteOnWithLength(benchmark::State& state) {
    onPath<Path>(state, [&](PluginRig& rig, Path& path) {
        constexpr std::int32_t value = length >= 2 ? midi::portamentoOn : midi::portamentoOff;
        std::array<BenchmarkEvent, 16> ons;
        for (std::size_t i = 0; i < ons.size(); ++i) {
            ons[i] = noteOnEvent(static_cast<std::int32_t>(48 + i), 0, length);
        }
        std::size_t next = 0;
        std::int32_t position = 0;
        auto step = [&] {
            BenchmarkEvent& event = ons[next];
            event.position = ++position;
            benchmark::DoNotOptimize(path.noteOn(&event, value));
            next = next + 1 == ons.size() ? 0 : next + 1;
        };
        measureSteadyState(state, rig.host(), step,
                           {.created = 1, .outputs = 2, .forwards = 0, .createdValueSum = value});
    });
}

// Note-offs of held keys: 32 keys are struck outside the timing, then their 32 note-offs are
// timed. One unit is one note-off.
template <class Path> void noteOffHeld(benchmark::State& state) {
    onPath<Path>(state, [&](PluginRig& rig, Path& path) {
        constexpr std::size_t keys = 32;
        std::array<BenchmarkEvent, keys> ons;
        std::array<BenchmarkEvent, keys> offs;
        for (std::size_t i = 0; i < keys; ++i) {
            auto key = static_cast<std::int32_t>(40 + i);
            ons[i] = noteOnEvent(key, 0, 0);
            offs[i] = noteOffEvent(key);
        }
        auto press = [&] {
            for (std::size_t i = 0; i < keys; ++i) {
                path.noteOn(&ons[i], i == 0 ? midi::portamentoOff : midi::portamentoOn);
            }
        };
        auto lift = [&] {
            for (BenchmarkEvent& event : offs) {
                benchmark::DoNotOptimize(path.noteOff(&event));
            }
        };
        auto round = [&] {
            press();
            lift();
        };
        warmUp(round);
        SteadyStateWindow window(state, rig.host(), keys);
        for (auto _ : state) {
            press();
            auto started = std::chrono::steady_clock::now();
            lift();
            std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
            state.SetIterationTime(took.count());
        }
        window.close({.created = keys,
                      .outputs = 3 * keys,
                      .forwards = 0,
                      .createdValueSum = (keys - 1) * midi::portamentoOn});
    });
}

enum class EventKind { noteOn, noteOff, controller };

// A stream like a played track: half note-ons with random lengths, a quarter note-offs, a
// quarter controllers, random keys. One unit is one event; an iteration plays all of them.
template <class Path> void mixedStream(benchmark::State& state) {
    onPath<Path>(state, [&](PluginRig& rig, Path& path) {
        constexpr std::size_t count = 4096;
        std::mt19937 random(1234);
        std::vector<BenchmarkEvent> events(count);
        std::vector<EventKind> kinds(count);
        ExpectedOutput perRound{};
        for (std::size_t i = 0; i < count; ++i) {
            auto key = static_cast<std::int32_t>(random() % 128);
            auto position = static_cast<std::int32_t>(i * 10);
            switch (random() % 4) {
            case 0:
                kinds[i] = EventKind::noteOff;
                events[i] = BenchmarkEvent{{midi::statusNoteOff, key, 64, position, 0, 0}};
                perRound.outputs += 1;
                break;
            case 1:
                kinds[i] = EventKind::controller;
                events[i] = BenchmarkEvent{{midi::statusController, 1, key, position, 0, 0}};
                perRound.forwards += 1;
                break;
            default:
                kinds[i] = EventKind::noteOn;
                events[i] = noteOnEvent(key, position, static_cast<std::int32_t>(random() % 200));
                perRound.created += 1;
                perRound.outputs += 2;
                break;
            }
        }
        auto step = [&] {
            for (std::size_t i = 0; i < count; ++i) {
                switch (kinds[i]) {
                case EventKind::noteOn:
                    // The baseline cannot know the value; the count of calls is what matters.
                    benchmark::DoNotOptimize(path.noteOn(&events[i], midi::portamentoOff));
                    break;
                case EventKind::noteOff:
                    benchmark::DoNotOptimize(path.noteOff(&events[i]));
                    break;
                case EventKind::controller:
                    benchmark::DoNotOptimize(path.passThrough(&events[i]));
                    break;
                }
            }
        };
        for (int i = 0; i < 4; ++i) {
            step();
        }
        SteadyStateWindow window(state, rig.host(), count);
        for (auto _ : state) {
            step();
        }
        window.close(perRound);
    });
}

template <class Case> void registerBoth(const char* name, Case plugin, Case baseline) {
    std::string caseName(name);
    benchmark::RegisterBenchmark(("plugin/" + caseName).c_str(), plugin);
    benchmark::RegisterBenchmark(("baseline/" + caseName).c_str(), baseline);
}

} // namespace

void registerEventBenchmarks() {
    using Case = void (*)(benchmark::State&);
    registerBoth<Case>("controller", controller<ThroughPlugin>, controller<HostCallsOnly>);
    registerBoth<Case>("noteOnAlone", noteOnAlone<ThroughPlugin>, noteOnAlone<HostCallsOnly>);
    registerBoth<Case>("noteOnAfterEnd", noteOnWithLength<ThroughPlugin, 1>,
                       noteOnWithLength<HostCallsOnly, 1>);
    registerBoth<Case>("noteOnPruned", noteOnWithLength<ThroughPlugin, 4>,
                       noteOnWithLength<HostCallsOnly, 4>);
    registerBoth<Case>("noteOnEightHeld", noteOnEightHeld<ThroughPlugin>,
                       noteOnEightHeld<HostCallsOnly>);
    benchmark::RegisterBenchmark("plugin/noteOff", noteOffHeld<ThroughPlugin>)->UseManualTime();
    benchmark::RegisterBenchmark("baseline/noteOff", noteOffHeld<HostCallsOnly>)->UseManualTime();
    registerBoth<Case>("mixedStream", mixedStream<ThroughPlugin>, mixedStream<HostCallsOnly>);
}

} // namespace quorlin::bench
