// Hosts with parallel processing run instances on threads of their own; the instances share
// the bundle's code and the module's process-wide state, and must not trip over each other.

#include "PluginUnderTest.h"
#include "legato/MidiProtocol.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

namespace quorlin::testing {
namespace {

constexpr const char* quorlinUri = "https://www.tessivar.com/plugins/quorlin";
constexpr int instanceCount = 4;
constexpr int cyclesPerThread = 3000;
constexpr int leastChanges = 50;
constexpr std::uint32_t cycleFrames = 128;

struct ThreadOutcome {
    int cycles = 0;
    int noteOns = 0;
    int noteOnsWithoutController = 0;
    int portamentoTimes = 0;
    int unexpectedTimes = 0;
};

// Every note-on must follow its controller 65 on its channel at its frame; controller 5 carries
// one of the values the main thread sets.
void check(const std::vector<OutputEvent>& events, ThreadOutcome& outcome) {
    for (std::size_t index = 0; index < events.size(); ++index) {
        const OutputEvent& event = events[index];
        std::int32_t kind = event.bytes[0] & midi::statusKindMask;
        std::int32_t channel = event.bytes[0] & midi::channelMask;
        if (kind == midi::statusNoteOn && event.bytes[2] != 0) {
            ++outcome.noteOns;
            bool preceded = index > 0 && events[index - 1].frame == event.frame &&
                            events[index - 1].bytes[0] == (midi::statusController | channel) &&
                            events[index - 1].bytes[1] == midi::controllerPortamento;
            outcome.noteOnsWithoutController += preceded ? 0 : 1;
        }
        if (kind == midi::statusController && event.bytes[1] == midi::controllerPortamentoTime) {
            ++outcome.portamentoTimes;
            outcome.unexpectedTimes += event.bytes[2] == 20 || event.bytes[2] == 40 ? 0 : 1;
        }
    }
}

TEST(Lv2Threads, FourInstancesOnFourThreadsWhileTheSpeedChanges) {
    std::vector<std::unique_ptr<PluginUnderTest>> plugins;
    for (int index = 0; index < instanceCount; ++index) {
        plugins.push_back(std::make_unique<PluginUnderTest>(quorlinUri));
        PluginUnderTest& plugin = *plugins.back();
        for (std::uint8_t step = 0; step < 32; ++step) {
            auto channel = static_cast<std::uint8_t>((step + index) % 16);
            auto note = static_cast<std::uint8_t>(48 + step % 12);
            plugin.queue(step * 4u,
                         {static_cast<std::uint8_t>(midi::statusNoteOn | channel), note, 100});
            plugin.queue(step * 4u + 2,
                         {static_cast<std::uint8_t>(midi::statusNoteOff | channel), note, 0});
        }
        plugin.activate();
    }

    // The host's control values, written by the main thread; each audio thread copies the
    // value into its instance's port before a cycle, as hosts do.
    std::atomic<int> speed{20};
    std::atomic<int> running{instanceCount};
    std::atomic<int> changes{0};
    std::vector<ThreadOutcome> outcomes(instanceCount);
    std::vector<std::thread> threads;
    threads.reserve(instanceCount);
    for (int index = 0; index < instanceCount; ++index) {
        threads.emplace_back([&, index] {
            PluginUnderTest& plugin = *plugins[index];
            float& control = plugin.control("speed");
            // Cycles go on until the speed has changed often, however fast they are.
            ThreadOutcome& outcome = outcomes[index];
            for (; outcome.cycles < cyclesPerThread || changes.load() < leastChanges;
                 ++outcome.cycles) {
                control = static_cast<float>(speed.load(std::memory_order_relaxed));
                check(plugin.run(cycleFrames), outcome);
            }
            running.fetch_sub(1);
        });
    }
    while (running.load() > 0) {
        speed.store(speed.load() == 20 ? 40 : 20);
        changes.fetch_add(1);
        std::this_thread::yield();
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    EXPECT_GE(changes.load(), leastChanges);
    for (const ThreadOutcome& outcome : outcomes) {
        EXPECT_EQ(outcome.noteOns, 32 * outcome.cycles);
        EXPECT_EQ(outcome.noteOnsWithoutController, 0);
        EXPECT_GT(outcome.portamentoTimes, 0);
        EXPECT_EQ(outcome.unexpectedTimes, 0);
    }
    for (auto& plugin : plugins) {
        plugin->deactivate();
        EXPECT_TRUE(plugin->logLines().empty()) << "nothing was dropped";
    }
}

} // namespace
} // namespace quorlin::testing
