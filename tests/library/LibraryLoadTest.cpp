// The built library loaded by file, as a sequencer loads it: only the export and table places.

#include "component/FactoryInterface.h"
#include "component/ModuleInterfaces.h"
#include "legato/MidiProtocol.h"
#include "product/ProductIdentity.h"
#include "testing/MessagePump.h"
#include "testing/RecordingHostContext.h"
#include "testing/RecordingListener.h"
#include "testing/SlotCall.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace quorlin::testing {
namespace {

const std::uint8_t* const productClassId = product::classIdBytes.data();

FactoryInterface* loadFactory(HMODULE library) {
    auto entry = reinterpret_cast<GetPluginFactoryFunction>(
        reinterpret_cast<void*>(GetProcAddress(library, pluginFactoryExportName)));
    return entry == nullptr ? nullptr : entry();
}

TEST(LibraryLoadTest, AHostGetsControllersThroughTheExportAlone) {
    HMODULE library = LoadLibraryA(QUORLIN_LIBRARY_FILE);
    ASSERT_NE(library, nullptr) << QUORLIN_LIBRARY_FILE;
    FactoryInterface* factory = loadFactory(library);
    ASSERT_NE(factory, nullptr);

    void* module = nullptr;
    ASSERT_EQ(callSlot<ResultCode>(factory, 7, productClassId, ModuleInterfaceId.raw(), &module),
              0);
    EXPECT_EQ(callSlot<std::uint32_t>(factory, 3), 0u);

    RecordingHostMidiServices services;
    RecordingHostContext context{services};
    ASSERT_EQ(callSlot<ResultCode>(module, 4, &context), 0);

    void* owner = nullptr;
    ASSERT_EQ(callSlot<ResultCode>(module, 1, ParameterOwnerInterfaceId.raw(), &owner), 0);
    ParameterInterface* speed = nullptr;
    ASSERT_EQ(callSlot<ResultCode>(owner, 4, "portamentoSpeed", &speed), 0);
    RecordingListener listener;
    void* notifier = nullptr;
    ASSERT_EQ(callSlot<ResultCode>(speed, 1, ParameterNotifierInterfaceId.raw(), &notifier), 0);
    EXPECT_EQ(callSlot<ResultCode>(notifier, 4, static_cast<UnknownInterface*>(&listener)), 0);

    callSlot<ResultCode>(module, 13, std::int32_t{0});
    callSlot<void>(speed, 5, "40"); // fromText
    callSlot<ResultCode>(module, 9, std::int32_t{0}, std::int32_t{0}, std::int32_t{0});
    callSlot<ResultCode>(module, 8, services.makeEvent(midi::statusNoteOn, 60, 100, 10));
    callSlot<ResultCode>(module, 8, services.makeEvent(midi::statusNoteOn, 64, 100, 20));
    ASSERT_EQ(services.sent.size(), 5u);
    EXPECT_EQ(services.sent[0].data1, midi::controllerPortamentoTime);
    EXPECT_EQ(services.sent[0].data2, 40);
    EXPECT_EQ(services.sent[1].data2, 0);
    EXPECT_EQ(services.sent[3].data1, midi::controllerPortamento);
    EXPECT_EQ(services.sent[3].data2, midi::portamentoOn);
    EXPECT_EQ(services.sent[3].position, 20);

    // The library's own timer tells the listener, on this thread's message loop.
    ASSERT_TRUE(pumpUntil([&] { return !listener.reports.empty(); }));
    pumpMessagesFor(std::chrono::milliseconds(60)); // and no second report
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.reports[0].value, 40);

    EXPECT_EQ(callSlot<ResultCode>(notifier, 5, static_cast<UnknownInterface*>(&listener)), 0);
    callSlot<std::uint32_t>(notifier, 3);
    callSlot<std::uint32_t>(owner, 3);
    callSlot<ResultCode>(module, 12, std::int32_t{0});
    callSlot<ResultCode>(module, 5);
    EXPECT_EQ(callSlot<std::uint32_t>(module, 3), 0u);
    EXPECT_EQ(listener.references(), 1);
    EXPECT_EQ(services.references(), 1);
    EXPECT_EQ(context.references(), 1);
    EXPECT_EQ(services.eventsCreated, services.eventsReleased);
    EXPECT_TRUE(FreeLibrary(library));
}

TEST(LibraryLoadTest, UnloadingWhileTheTimerRunsStopsItsTicks) {
    RecordingHostMidiServices services;
    RecordingHostContext context{services};
    for (int cycle = 0; cycle < 5; ++cycle) {
        HMODULE library = LoadLibraryA(QUORLIN_LIBRARY_FILE);
        ASSERT_NE(library, nullptr);
        FactoryInterface* factory = loadFactory(library);
        void* module = nullptr;
        ASSERT_EQ(factory->createInstance(reinterpret_cast<const InterfaceIdBytes*>(productClassId),
                                          ModuleInterfaceId.raw(), &module),
                  0);
        factory->Release();
        // Released without terminate: its timer use is never given back, so the timer is still
        // running when the library goes.
        ASSERT_EQ(callSlot<ResultCode>(module, 4, &context), 0);
        pumpMessagesFor(std::chrono::milliseconds(30));
        EXPECT_EQ(callSlot<std::uint32_t>(module, 3), 0u);
        EXPECT_TRUE(FreeLibrary(library));
        // A tick dispatched into the unloaded library would crash here.
        pumpMessagesFor(std::chrono::milliseconds(60));
    }
}

// A careless host's null pointers get an answer, and nothing changes: no reference is taken,
// a given out pointer is cleared, no buffer or size is written.
TEST(LibraryLoadTest, NullPointersAreAnsweredNotFollowed) {
    HMODULE library = LoadLibraryA(QUORLIN_LIBRARY_FILE);
    ASSERT_NE(library, nullptr);
    FactoryInterface* factory = loadFactory(library);
    ASSERT_NE(factory, nullptr);
    const auto* classId = reinterpret_cast<const InterfaceIdBytes*>(productClassId);
    const InterfaceIdBytes* const noId = nullptr;
    void** const noOut = nullptr;
    const char* const noName = nullptr;
    void* module = nullptr;
    ASSERT_EQ(callSlot<ResultCode>(factory, 7, classId, ModuleInterfaceId.raw(), &module), 0);
    RecordingHostMidiServices services;
    RecordingHostContext context{services};
    ASSERT_EQ(callSlot<ResultCode>(module, 4, &context), 0);
    void *owner = nullptr, *skin = nullptr;
    ASSERT_EQ(callSlot<ResultCode>(module, 1, ParameterOwnerInterfaceId.raw(), &owner), 0);
    ASSERT_EQ(callSlot<ResultCode>(module, 1, SkinInterfaceId.raw(), &skin), 0);

    // A call's result when it cleared the out pointer it was given, else -1.
    int marker = 0;
    void* out = &marker;
    auto nulled = [&](ResultCode result) {
        bool cleared = out == nullptr;
        out = &marker;
        return cleared ? result : -1;
    };
    const ResultCode invalid = resultInvalidArgument;
    EXPECT_EQ(nulled(callSlot<ResultCode>(factory, 7, noId, ModuleInterfaceId.raw(), &out)),
              invalid);
    EXPECT_EQ(nulled(callSlot<ResultCode>(factory, 7, classId, noId, &out)), invalid);
    EXPECT_EQ(callSlot<ResultCode>(factory, 7, classId, ModuleInterfaceId.raw(), noOut), invalid);
    for (void* through : {static_cast<void*>(factory), module, owner, skin}) {
        EXPECT_EQ(nulled(callSlot<ResultCode>(through, 1, noId, &out)), invalid);
        EXPECT_EQ(callSlot<ResultCode>(through, 1, UnknownInterfaceId.raw(), noOut), invalid);
    }
    EXPECT_EQ(nulled(callSlot<ResultCode>(owner, 4, noName, &out)), resultFalse);
    EXPECT_EQ(callSlot<ResultCode>(owner, 4, "portamentoSpeed", noOut), invalid);
    EXPECT_EQ(callSlot<ResultCode>(owner, 7, std::int32_t{0}, static_cast<char*>(nullptr)),
              invalid);
    EXPECT_EQ(callSlot<ResultCode>(owner, 8, std::int32_t{0}, noOut), invalid);
    EXPECT_EQ(nulled(callSlot<ResultCode>(skin, 4, noName, &out)), resultFalse);
    EXPECT_EQ(callSlot<ResultCode>(skin, 4, "editor", noOut), invalid);
    char templateName[10] = "untouched";
    std::uint32_t size = 7;
    EXPECT_EQ(callSlot<ResultCode>(skin, 5, noName, templateName, nullptr, &size), resultFalse);
    EXPECT_EQ(callSlot<ResultCode>(skin, 6, noName, nullptr, &size), resultFalse);
    EXPECT_STREQ(templateName, "untouched");
    EXPECT_EQ(size, 7u);

    // Only the two queries above took references (counts 2 and 1 left, in either order); the
    // factory has only the export's.
    EXPECT_EQ(callSlot<std::uint32_t>(factory, 3), 0u);
    EXPECT_EQ(callSlot<std::uint32_t>(skin, 3) + callSlot<std::uint32_t>(owner, 3), 3u);
    callSlot<ResultCode>(module, 5);
    EXPECT_EQ(callSlot<std::uint32_t>(module, 3), 0u);
    EXPECT_TRUE(FreeLibrary(library));
}

} // namespace
} // namespace quorlin::testing
