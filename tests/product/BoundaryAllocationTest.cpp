// Running out of memory at every step of every host-reachable operation: each answers instead of
// throwing, and leaves the host's references, the timer uses and the parameter registry as they
// were before the call.

#include "component/ModuleInterfaces.h"
#include "factory/PluginFactory.h"
#include "factory/ProductClass.h"
#include "legato/MidiProtocol.h"
#include "parameters/ChangeTimer.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterRegistry.h"
#include "product/ProductIdentity.h"
#include "product/QuorlinModule.h"
#include "testing/CountingAllocator.h"
#include "testing/RecordingHostContext.h"
#include "testing/RecordingListener.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace quorlin::testing {
namespace {

// Everything an operation that ran out of memory must leave as it found it.
struct Balance {
    std::int32_t contextReferences;
    std::int32_t servicesReferences;
    std::int32_t listenerReferences;
    std::int32_t moduleReferences;
    std::int32_t timerUses;
    std::int32_t registeredParameters;
    std::int32_t moduleParameters;
    std::uint32_t heldNotes;
    int eventsCreated;
    bool factoryAlive;
    bool speedPending;

    bool operator==(const Balance&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Balance& b) {
    return out << "{context " << b.contextReferences << ", services " << b.servicesReferences
               << ", listener " << b.listenerReferences << ", module " << b.moduleReferences
               << ", timer uses " << b.timerUses << ", registry " << b.registeredParameters
               << ", module parameters " << b.moduleParameters << ", held " << b.heldNotes
               << ", events created " << b.eventsCreated << ", factory "
               << (b.factoryAlive ? "alive" : "gone") << ", pending " << b.speedPending << "}";
}

// One call the host makes. `run` is the call itself, made with allocations limited; it answers
// `outOfMemory` when memory ran out and resultOk when it succeeded. `prepare` runs before the
// attempts with memory to spare; `undo` after the success, before the next operation.
struct HostCall {
    std::string name;
    std::function<void()> prepare;
    std::function<ResultCode()> run;
    ResultCode outOfMemory;
    std::function<void()> undo;
};

constexpr int mostAllocationsOfOneCall = 32;

TEST(BoundaryAllocationTest, EveryHostCallAnswersAndStaysBalancedWhenMemoryRunsOut) {
    RecordingHostMidiServices services;
    RecordingHostContext context{services};
    RecordingListener listener;
    listener.reports.reserve(8);
    // The fake host's own log would allocate inside the calls under test.
    services.setRecording(false);
    services.recycleEvents(16);

    FactoryInterface* factory = nullptr;
    ModuleInterface* module = nullptr;
    ParameterInterface* speed = nullptr;
    HostEvent* noteBeyondRange = nullptr;
    const auto* classId = reinterpret_cast<const InterfaceIdBytes*>(product::classIdBytes.data());

    auto instance = [&] { return static_cast<QuorlinModule*>(module); };
    auto notifier = [&] {
        void* out = nullptr;
        speed->QueryInterface(ParameterNotifierInterfaceId.raw(), &out);
        speed->Release();
        return static_cast<ParameterNotifierInterface*>(out);
    };
    auto balance = [&] {
        return Balance{context.references(),
                       services.references(),
                       listener.references(),
                       module == nullptr ? 0 : instance()->referenceCount(),
                       changeTimerStartCount(),
                       parameterRegistry().count(),
                       module == nullptr ? 0 : instance()->getParameterCount(),
                       module == nullptr ? 0u : instance()->heldNoteTable().count(),
                       services.eventsCreated,
                       PluginFactory::singleton() != nullptr,
                       speed != nullptr && Parameter::fromInterface(speed)->isPending()};
    };
    const Balance atStart = balance();

    const std::vector<HostCall> calls = {
        {"GetPluginFactory", [] {},
         [&] {
             factory = acquirePluginFactory();
             return factory != nullptr ? resultOk : resultNoInterface;
         },
         resultNoInterface, [] {}},
        {"createInstance", [] {},
         [&] {
             void* out = nullptr;
             ResultCode result = factory->createInstance(classId, ModuleInterfaceId.raw(), &out);
             module = static_cast<ModuleInterface*>(out);
             return result;
         },
         resultNoInterface, [] {}},
        {"initialize", [] {}, [&] { return module->initialize(&context); }, resultOutOfMemory,
         [&] { instance()->findParameter(QuorlinModule::speedName, &speed); }},
        {"addListener", [] {}, [&] { return notifier()->addListener(&listener); },
         resultOutOfMemory, [] {}},
        // The table has room for the MIDI range; a note beyond it, with every key held, grows it.
        {"processEvent",
         [&] {
             for (std::int32_t note = 0; note <= midi::dataMax; ++note) {
                 module->processEvent(services.makeEvent(midi::statusNoteOn, note, 1));
             }
             noteBeyondRange = services.makeEvent(midi::statusNoteOn, 1000, 1);
         },
         [&] { return module->processEvent(noteBeyondRange); }, resultOutOfMemory,
         [&] { module->stop(0); }},
        // The tick answers the platform nothing: out of memory, it keeps the change due.
        {"timer tick", [&] { speed->setValue(64); },
         [&] {
             std::size_t before = listener.reports.size();
             deliverPendingChanges(nullptr, 0, 0, 0);
             return listener.reports.size() > before ? resultOk : resultFalse;
         },
         resultFalse, [] {}},
    };

    for (const HostCall& call : calls) {
        SCOPED_TRACE(call.name);
        call.prepare();
        int allowed = 0;
        for (; allowed <= mostAllocationsOfOneCall; ++allowed) {
            const Balance before = balance();
            failAllocationsAfter(allowed);
            ResultCode result = call.run();
            stopFailingAllocations();
            if (result == resultOk) {
                break;
            }
            EXPECT_EQ(result, call.outOfMemory) << "with " << allowed << " allocations allowed";
            EXPECT_EQ(balance(), before) << "with " << allowed << " allocations allowed";
        }
        ASSERT_LE(allowed, mostAllocationsOfOneCall) << "never succeeded";
        EXPECT_GT(allowed, 0) << "succeeded without allocating, so no failure was tried";
        call.undo();
    }

    // Whatever the successes took comes back with the host's ordinary ending.
    EXPECT_EQ(notifier()->removeListener(&listener), resultOk);
    EXPECT_EQ(module->terminate(), resultOk);
    EXPECT_EQ(module->Release(), 0u);
    EXPECT_EQ(factory->Release(), 0u);
    speed = nullptr;
    module = nullptr;
    Balance expected = atStart;
    expected.eventsCreated = services.eventsCreated;
    EXPECT_EQ(balance(), expected);
    EXPECT_EQ(services.eventsCreated, services.eventsReleased);
}

} // namespace
} // namespace quorlin::testing
