// The event path must not touch the heap once warmed up. This program counts every allocation
// made while events flow.

#include "component/ModuleInterfaces.h"
#include "factory/PluginFactory.h"
#include "factory/ProductClass.h"
#include "legato/MidiProtocol.h"
#include "module/MidiModuleBase.h"
#include "testing/CountingAllocator.h"
#include "testing/RecordingHostContext.h"

#include <gtest/gtest.h>

#include <random>

namespace quorlin::testing {
namespace {

TEST(RealtimeAllocationTest, EventsAndPositionsDoNotAllocateInSteadyState) {
    RecordingHostMidiServices services;
    RecordingHostContext context{services};
    auto* module = static_cast<ModuleInterface*>(
        createProductInstance(const_cast<ClassInfo*>(&productClassInfo)));
    ASSERT_EQ(module->initialize(&context), 0);
    ParameterInterface* speed = nullptr;
    static_cast<MidiModuleBase*>(module)->findParameter("portamentoSpeed", &speed);

    // Events are made up front; the host's own bookkeeping stays out of the count.
    std::mt19937 random(1234);
    std::vector<HostEvent*> events;
    for (int i = 0; i < 20000; ++i) {
        std::int32_t kind = static_cast<std::int32_t>(random() % 4);
        std::int32_t status = kind == 0   ? midi::statusNoteOff
                              : kind == 3 ? midi::statusController
                                          : midi::statusNoteOn;
        events.push_back(services.makeEvent(status, static_cast<std::int32_t>(random() % 128),
                                            static_cast<std::int32_t>(random() % 128), i * 10,
                                            static_cast<std::int32_t>(random() % 200),
                                            static_cast<std::int32_t>(random() % 2)));
    }
    services.setRecording(false);
    services.recycleEvents(64);

    auto drive = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            module->processEvent(events[i]);
            if (i % 16 == 0) {
                speed->setValue(static_cast<std::int32_t>(i % 128));
                module->processTime(static_cast<std::int32_t>(i), 0, 0);
            }
        }
    };
    drive(0, 2000); // warm-up: every MIDI note has been held at least once
    for (std::int32_t note = 0; note < 128; ++note) {
        module->processEvent(services.makeEvent(midi::statusNoteOn, note, 1, 0, 0, 0));
    }
    module->stop(0);
    std::int64_t before = allocationCount();
    drive(2000, events.size());
    std::int64_t during = allocationCount() - before;
    EXPECT_EQ(during, 0) << "allocations per event: "
                         << static_cast<double>(during) / static_cast<double>(events.size() - 2000);

    module->terminate();
    module->Release();
}

} // namespace
} // namespace quorlin::testing

namespace quorlin::testing {
namespace {

TEST(OutOfMemoryTest, FactoryAndCreationAnswerInsteadOfThrowing) {
    failAllocationsAfter(0);
    FactoryInterface* noFactory = acquirePluginFactory();
    UnknownInterface* noInstance = createProductInstance(const_cast<ClassInfo*>(&productClassInfo));
    stopFailingAllocations();
    EXPECT_EQ(noFactory, nullptr);
    EXPECT_EQ(noInstance, nullptr);
    EXPECT_EQ(PluginFactory::singleton(), nullptr);

    FactoryInterface* factory = acquirePluginFactory();
    ASSERT_NE(factory, nullptr);
    void* out = factory;
    failAllocationsAfter(0);
    ResultCode result =
        factory->createInstance(reinterpret_cast<const InterfaceIdBytes*>(productClassInfo.classId),
                                ModuleInterfaceId.raw(), &out);
    stopFailingAllocations();
    EXPECT_EQ(result, resultNoInterface);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->Release(), 0u);
}

} // namespace
} // namespace quorlin::testing
