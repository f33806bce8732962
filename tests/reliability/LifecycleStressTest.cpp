// Instances made and given back in bulk, as a host does when a project with many tracks is
// opened, edited and closed over and over.

#include "StressHost.h"
#include "legato/MidiProtocol.h"
#include "parameters/ChangeTimer.h"
#include "parameters/ParameterRegistry.h"

#include <gtest/gtest.h>

#include <random>

extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept;

namespace quorlin::reliability {
namespace {

TEST(LifecycleStressTest, TenThousandLifecyclesGiveEveryReferenceBack) {
    constexpr int cycles = 10000;
    StressHost host;
    host.services.recycleEvents(4);
    std::int32_t parametersBefore = parameterRegistry().count();
    FactoryInterface* factory = GetPluginFactory();
    ASSERT_NE(factory, nullptr);
    for (int cycle = 0; cycle < cycles; ++cycle) {
        ASSERT_TRUE(host.create(factory)) << cycle;
        ASSERT_EQ(host.initialize(), resultOk) << cycle;
        ASSERT_EQ(changeTimerStartCount(), 1) << cycle;
        ASSERT_EQ(parameterRegistry().count(), parametersBefore + 1) << cycle;

        // A little of everything an instance does, so each cycle creates and releases events.
        host.services.clearLog();
        host.speed()->setValue(cycle % 128);
        host.module->processTime(cycle, 0, 0);
        host.module->processEvent(
            host.services.makeEvent(midi::statusNoteOn, cycle % 128, 100, cycle));
        ASSERT_EQ(host.services.sent.size(), 3u) << cycle;
        EXPECT_EQ(host.services.sent[0].data2, cycle % 128);

        ASSERT_EQ(host.terminate(), resultOk);
        ASSERT_EQ(changeTimerStartCount(), 0) << cycle;
        ASSERT_EQ(host.release(), 0u) << cycle;
        ASSERT_EQ(host.services.references(), 1) << cycle;
        ASSERT_EQ(host.context.references(), 1) << cycle;
        ASSERT_EQ(parameterRegistry().count(), parametersBefore) << cycle;
    }
    EXPECT_EQ(factory->Release(), 0u);
    EXPECT_EQ(host.services.eventsCreated, 2 * cycles);
    EXPECT_EQ(host.services.eventsReleased, host.services.eventsCreated);
    EXPECT_EQ(host.services.hostOptionCalls, cycles);
    EXPECT_EQ(host.context.addRefs, cycles);
    EXPECT_EQ(host.context.releases, cycles);
}

// Hosts that initialize twice, terminate twice, retry with a refusing context or terminate
// an instance that never connected: timer uses stay paired per instance and every host
// reference comes back.
TEST(LifecycleStressTest, IrregularCallOrdersStayBalanced) {
    constexpr int instances = 8;
    constexpr int steps = 4000;
    std::mt19937 random(1234);
    FactoryInterface* factory = GetPluginFactory();
    std::vector<std::unique_ptr<StressHost>> hosts;
    std::vector<bool> connected(instances, false);
    for (int i = 0; i < instances; ++i) {
        hosts.push_back(std::make_unique<StressHost>());
        ASSERT_TRUE(hosts.back()->create(factory));
    }
    factory->Release();
    for (int step = 0; step < steps; ++step) {
        auto index = static_cast<std::size_t>(random() % instances);
        StressHost& host = *hosts[index];
        switch (random() % 4) {
        case 0:
            ASSERT_EQ(host.initialize(), resultOk);
            connected[index] = true;
            break;
        case 1:
            host.context.answersServices = false;
            ASSERT_EQ(host.initialize(), resultInvalidArgument);
            host.context.answersServices = true;
            break;
        case 2:
            ASSERT_EQ(host.module->initialize(nullptr), resultInvalidArgument);
            break;
        default:
            ASSERT_EQ(host.terminate(), resultOk);
            connected[index] = false;
            break;
        }
        auto expectedUses =
            static_cast<std::int32_t>(std::count(connected.begin(), connected.end(), true));
        ASSERT_EQ(changeTimerStartCount(), expectedUses) << step;
        std::int32_t held = connected[index] ? 2 : 1;
        ASSERT_EQ(host.services.references(), held) << step;
        ASSERT_EQ(host.context.references(), held) << step;
        // However often it was initialized, an instance has one parameter.
        void* owner = nullptr;
        host.module->QueryInterface(ParameterOwnerInterfaceId.raw(), &owner);
        std::int32_t parameters = static_cast<ParameterOwnerInterface*>(owner)->getParameterCount();
        static_cast<ParameterOwnerInterface*>(owner)->Release();
        ASSERT_LE(parameters, 1) << step;
    }
    for (auto& host : hosts) {
        host->terminate();
        EXPECT_EQ(host->release(), 0u);
        EXPECT_EQ(host->services.references(), 1);
        EXPECT_EQ(host->context.references(), 1);
    }
    EXPECT_EQ(changeTimerStartCount(), 0);
}

} // namespace
} // namespace quorlin::reliability
