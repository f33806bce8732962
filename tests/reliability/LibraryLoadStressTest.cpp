// The built library loaded and unloaded by file again and again, as a host rescans its plug-in
// folder or opens and closes projects: every reference comes back, and no tick of the change
// timer reaches a library that is gone.

#include "StressHost.h"
#include "legato/MidiProtocol.h"
#include "testing/MessagePump.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>

namespace quorlin::reliability {
namespace {

using namespace std::chrono_literals;
using testing::pumpUntil;

FactoryInterface* factoryOf(HMODULE library) {
    auto entry = reinterpret_cast<GetPluginFactoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, pluginFactoryExportName)));
    return entry == nullptr ? nullptr : entry();
}

// True while this thread has a timer message waiting, which only a live timer can post.
bool timerMessageWaiting() {
    MSG message;
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

TEST(LibraryLoadStressTest, LoadUseAndUnloadInALoop) {
    constexpr int cycles = 200;
    constexpr std::size_t instancesPerCycle = 4;
    std::array<StressHost, instancesPerCycle> hosts;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        HMODULE library = LoadLibraryA(QUORLIN_LIBRARY_FILE);
        ASSERT_NE(library, nullptr) << QUORLIN_LIBRARY_FILE;
        FactoryInterface* factory = factoryOf(library);
        ASSERT_NE(factory, nullptr);
        for (StressHost& host : hosts) {
            ASSERT_TRUE(host.create(factory));
            ASSERT_EQ(host.initialize(), resultOk);
            ASSERT_EQ(host.listen(), resultOk);
            host.speed()->setValue(cycle % 128);
            host.services.clearLog();
            host.module->processEvent(host.services.makeEvent(midi::statusNoteOn, 60, 100, cycle));
            ASSERT_EQ(host.services.sent.size(), 2u);
            EXPECT_EQ(host.services.sent[0].data1, midi::controllerPortamento);
        }
        EXPECT_EQ(factory->Release(), 0u);
        // Terminate in another order than creation, so the timer use goes back mid-list.
        for (std::size_t i : {2u, 0u, 3u, 1u}) {
            ASSERT_EQ(hosts[i].terminate(), resultOk);
            ASSERT_EQ(hosts[i].release(), 0u);
        }
        ASSERT_TRUE(FreeLibrary(library));
        for (StressHost& host : hosts) {
            ASSERT_EQ(host.services.references(), 1) << cycle;
            ASSERT_EQ(host.context.references(), 1) << cycle;
            ASSERT_EQ(host.listener.references(), 1) << cycle;
            ASSERT_EQ(host.services.eventsCreated, host.services.eventsReleased) << cycle;
        }
    }
}

TEST(LibraryLoadStressTest, UnloadingWhileTheTimerRunsDeliversNoMoreTicks) {
    constexpr int cycles = 8;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        StressHost skipped; // released without terminate: its timer use is never given back
        StressHost finished;
        HMODULE library = LoadLibraryA(QUORLIN_LIBRARY_FILE);
        ASSERT_NE(library, nullptr);
        FactoryInterface* factory = factoryOf(library);
        ASSERT_NE(factory, nullptr);
        ASSERT_TRUE(skipped.create(factory));
        ASSERT_TRUE(finished.create(factory));
        factory->Release();
        ASSERT_EQ(skipped.initialize(), resultOk);
        ASSERT_EQ(finished.initialize(), resultOk);
        ASSERT_EQ(skipped.listen(), resultOk);

        // The library's own timer is running: a change reaches the listener.
        skipped.speed()->setValue(10 + cycle);
        ASSERT_TRUE(pumpUntil([&] { return skipped.listener.reports.size() == 1; }));

        // A change left pending when the library goes is never delivered.
        skipped.speed()->setValue(70);
        ASSERT_EQ(finished.terminate(), resultOk);
        ASSERT_EQ(finished.release(), 0u);
        ASSERT_EQ(skipped.release(), 0u);
        ASSERT_TRUE(FreeLibrary(library));

        // A tick dispatched into the unloaded library would crash here.
        testing::pumpMessagesFor(60ms);
        EXPECT_FALSE(timerMessageWaiting());
        EXPECT_EQ(skipped.listener.reports.size(), 1u);
        EXPECT_EQ(skipped.listener.references(), 1);
        EXPECT_EQ(finished.services.references(), 1);
        EXPECT_EQ(finished.context.references(), 1);
        // Only the references of the skipped terminate stay with the host objects.
        EXPECT_EQ(skipped.services.references(), 2);
        EXPECT_EQ(skipped.context.references(), 2);
    }
}

} // namespace
} // namespace quorlin::reliability
