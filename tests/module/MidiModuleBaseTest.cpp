// The base behaviours every module instance answers with, reached by table place.

#include "module/MidiModuleBase.h"
#include "parameters/ChangeTimer.h"
#include "product/ProductIdentity.h"
#include "testing/ModuleFixture.h"

#include <cstring>

namespace quorlin::testing {
namespace {

using MidiModuleBaseTest = ModuleFixture;

TEST_F(MidiModuleBaseTest, QueriesAnswerTheSameObjectThroughEveryInterface) {
    void* owner = nullptr;
    void* listener = nullptr;
    void* unknownViaSkin = nullptr;
    void* skinViaModule = nullptr;
    void* skinAlt = nullptr;
    EXPECT_EQ(callSlot<ResultCode>(module, 1, ParameterOwnerInterfaceId.raw(), &owner), 0);
    EXPECT_EQ(callSlot<ResultCode>(module, 1, ParameterListenerInterfaceId.raw(), &listener), 0);
    EXPECT_EQ(owner, listener);
    EXPECT_EQ(callSlot<ResultCode>(module, 1, SkinInterfaceId.raw(), &skinViaModule), 0);
    EXPECT_EQ(callSlot<ResultCode>(skinViaModule, 1, SkinInterfaceAltId.raw(), &skinAlt), 0);
    EXPECT_EQ(skinViaModule, skinAlt);
    EXPECT_EQ(callSlot<ResultCode>(skinViaModule, 1, UnknownInterfaceId.raw(), &unknownViaSkin), 0);
    EXPECT_EQ(unknownViaSkin, module);
    void* moduleAlt = nullptr;
    EXPECT_EQ(callSlot<ResultCode>(owner, 1, ModuleInterfaceAltId.raw(), &moduleAlt), 0);
    EXPECT_EQ(moduleAlt, module);
    // Six answered queries, each one reference; AddRef through any interface counts on one.
    EXPECT_EQ(callSlot<std::uint32_t>(owner, 2), 8u);
    for (int i = 0; i < 7; ++i) {
        callSlot<std::uint32_t>(skinViaModule, 3);
    }
}

TEST_F(MidiModuleBaseTest, UnansweredIdentifiersGiveNullAndKeepTheCount) {
    InterfaceIdBytes nearMiss = *ModuleInterfaceId.raw();
    nearMiss.bytes[15] ^= 0x80;
    const InterfaceIdBytes* refused[] = {ClassIdentityInterfaceId.raw(), FactoryInterfaceId.raw(),
                                         HostMidiServicesId.raw(), &nearMiss};
    for (const InterfaceIdBytes* id : refused) {
        void* out = module;
        EXPECT_EQ(callSlot<ResultCode>(module, 1, id, &out), resultNoInterface);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(callSlot<std::uint32_t>(module, 2), 2u);
    EXPECT_EQ(callSlot<std::uint32_t>(module, 3), 1u);
}

TEST_F(MidiModuleBaseTest, ModuleInfoNeedsARecordOfEightBytes) {
    std::int32_t record[3] = {7, -5, -6};
    EXPECT_EQ(callSlot<ResultCode>(module, placeGetModuleInfo, record), 0);
    EXPECT_EQ(record[1], -5);
    record[0] = 8;
    EXPECT_EQ(callSlot<ResultCode>(module, placeGetModuleInfo, record), 0);
    EXPECT_EQ(record[1], 3);
    EXPECT_EQ(record[2], -6);
    EXPECT_EQ(callSlot<ResultCode>(module, placeGetModuleInfo, static_cast<void*>(nullptr)), 0);
}

TEST_F(MidiModuleBaseTest, InitializeAndTerminateBalanceEveryReferenceAndTimerUse) {
    std::int32_t timerUses = changeTimerStartCount();
    EXPECT_EQ(callSlot<ResultCode>(module, placeInitialize, static_cast<void*>(nullptr)),
              resultInvalidArgument);

    context.answersServices = false;
    EXPECT_EQ(initialize(), resultInvalidArgument);
    EXPECT_EQ(context.references(), 1);
    EXPECT_EQ(changeTimerStartCount(), timerUses);
    // A terminate after the failed initialize gives back no timer use it never took.
    EXPECT_EQ(callSlot<ResultCode>(module, placeTerminate), 0);
    EXPECT_EQ(changeTimerStartCount(), timerUses);

    context.answersServices = true;
    ASSERT_EQ(initialize(), resultOk);
    EXPECT_EQ(context.addRefs, 1);
    EXPECT_EQ(services.references(), 2);
    EXPECT_EQ(changeTimerStartCount(), timerUses + 1);
    EXPECT_EQ(services.hostOptionCalls, 1);

    // A second initialize replaces the connection and keeps one timer use.
    ASSERT_EQ(initialize(), resultOk);
    EXPECT_EQ(context.references(), 2);
    EXPECT_EQ(services.references(), 2);
    EXPECT_EQ(changeTimerStartCount(), timerUses + 1);

    EXPECT_EQ(callSlot<ResultCode>(module, placeTerminate), 0);
    EXPECT_EQ(context.references(), 1);
    EXPECT_EQ(services.references(), 1);
    EXPECT_EQ(changeTimerStartCount(), timerUses);
    int releases = services.releases + context.releases;
    EXPECT_EQ(callSlot<ResultCode>(module, placeTerminate), 0);
    EXPECT_EQ(services.releases + context.releases, releases);
    EXPECT_EQ(changeTimerStartCount(), timerUses);
}

TEST_F(MidiModuleBaseTest, OneParameterPerInstanceAcrossReinitialization) {
    auto* owner = query<ParameterOwnerInterface>(ParameterOwnerInterfaceId);
    EXPECT_EQ(callSlot<std::int32_t>(owner, 6), 0);
    ASSERT_EQ(initialize(), resultOk);
    ParameterInterface* speed = speedParameter();
    speed->setValue(42);
    callSlot<ResultCode>(module, placeTerminate);
    ASSERT_EQ(initialize(), resultOk);
    EXPECT_EQ(callSlot<std::int32_t>(owner, 6), 1);
    EXPECT_EQ(speedParameter(), speed);
    EXPECT_EQ(speed->getValue(), 42);
}

TEST_F(MidiModuleBaseTest, ParameterLookupsByNameIndexAndTag) {
    ASSERT_EQ(initialize(), resultOk);
    auto* owner = query<ParameterOwnerInterface>(ParameterOwnerInterfaceId);
    ParameterInterface* found = nullptr;
    EXPECT_EQ(callSlot<ResultCode>(owner, 4, "portamentoSpeed", &found), 0);
    ASSERT_NE(found, nullptr);
    // Borrowed: the lookup added no reference.
    EXPECT_EQ(found->AddRef(), 2u);
    EXPECT_EQ(found->Release(), 1u);
    EXPECT_EQ(found->getMin(), -1);
    EXPECT_EQ(found->getMax(), 127);

    ParameterInterface* other = found;
    EXPECT_EQ(callSlot<ResultCode>(owner, 4, "PortamentoSpeed", &other), 1);
    EXPECT_EQ(other, nullptr);

    char name[128];
    std::memset(name, 'x', sizeof name);
    EXPECT_EQ(callSlot<ResultCode>(owner, 7, std::int32_t{0}, name), 0);
    EXPECT_STREQ(name, "portamentoSpeed");
    EXPECT_EQ(callSlot<ResultCode>(owner, 7, std::int32_t{1}, name), 1);
    EXPECT_EQ(callSlot<ResultCode>(owner, 7, std::int32_t{-1}, name), 1);

    EXPECT_EQ(callSlot<ResultCode>(owner, 8, std::int32_t{0}, &other), 0);
    EXPECT_EQ(other, found);
    EXPECT_EQ(callSlot<ResultCode>(owner, 8, std::int32_t{-1}, &other), 1);
    EXPECT_EQ(other, nullptr);
}

TEST_F(MidiModuleBaseTest, ViewsAreTheParameterOwnerWithAReferenceEach) {
    auto* skin = query<SkinInterface>(SkinInterfaceId);
    auto* owner = query<ParameterOwnerInterface>(ParameterOwnerInterfaceId);
    void* editor = nullptr;
    void* inspector = nullptr;
    EXPECT_EQ(callSlot<ResultCode>(skin, 4, "editor", &editor), 0);
    EXPECT_EQ(callSlot<ResultCode>(skin, 4, "inspector", &inspector), 0);
    EXPECT_EQ(editor, static_cast<void*>(owner));
    EXPECT_EQ(inspector, editor);
    EXPECT_EQ(callSlot<std::uint32_t>(module, 3), 2u); // two views added two references
    callSlot<std::uint32_t>(module, 3);
    for (const char* wrong : {"Editor", "editor ", "edit", ""}) {
        void* out = module;
        EXPECT_EQ(callSlot<ResultCode>(skin, 4, wrong, &out), 1);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(MidiModuleBaseTest, SkinDescriptionIsServedForBothViews) {
    auto* skin = query<SkinInterface>(SkinInterfaceId);
    char templateName[10];
    std::uint32_t size = 0;
    EXPECT_EQ(callSlot<ResultCode>(skin, 5, "inspector", templateName, static_cast<void*>(nullptr),
                                   &size),
              0);
    EXPECT_STREQ(templateName, "inspector");
    EXPECT_EQ(size, 1302u);
    std::uint32_t bitmapSize = 0;
    EXPECT_EQ(callSlot<ResultCode>(skin, 6, "1001", static_cast<void*>(nullptr), &bitmapSize), 0);
    EXPECT_EQ(bitmapSize, 541u);
    EXPECT_EQ(callSlot<ResultCode>(skin, 5, "Inspector", templateName, static_cast<void*>(nullptr),
                                   &size),
              1);
}

TEST_F(MidiModuleBaseTest, ClassIdentityAndAuxiliaryOperationsDecline) {
    // The class identity interface is never handed out; its operations still hold their places.
    auto* base = static_cast<MidiModuleBase*>(module);
    auto* identity = static_cast<ClassIdentityInterface*>(base);
    std::uint8_t classId[16] = {};
    EXPECT_EQ(callSlot<ResultCode>(identity, 4, classId), 0);
    EXPECT_EQ(0, std::memcmp(classId, productClassInfo.classId, 16));
    EXPECT_EQ(0, std::memcmp(classId, product::classIdBytes.data(), 16));
    EXPECT_EQ(callSlot<ResultCode>(identity, 5, std::int32_t{1}, std::int32_t{2}), 1);
    void* word = module;
    EXPECT_EQ(callSlot<ResultCode>(identity, 6, std::int32_t{0}, &word), 1);
    EXPECT_EQ(word, nullptr);
    EXPECT_EQ(callSlot<ResultCode>(identity, 6, std::int32_t{0}, static_cast<void**>(nullptr)), 1);

    auto* auxiliary = query<AuxiliaryInterface>(AuxiliaryInterfaceId);
    word = module;
    EXPECT_EQ(callSlot<ResultCode>(auxiliary, 4, std::int32_t{0}, std::int32_t{0}, &word), 1);
    EXPECT_EQ(word, nullptr);
    EXPECT_EQ(callSlot<ResultCode>(auxiliary, 4, std::int32_t{0}, std::int32_t{0},
                                   static_cast<void**>(nullptr)),
              1);
    EXPECT_EQ(callSlot<ResultCode>(auxiliary, 5, std::int32_t{3}), 1);
    EXPECT_EQ(callSlot<ResultCode>(module, 10, std::int32_t{1}), 0);
    EXPECT_EQ(callSlot<ResultCode>(module, 11, std::int32_t{1}, std::int32_t{2}), 0);
    EXPECT_EQ(callSlot<ResultCode>(module, placeSetHostValue, std::int32_t{5}), 0);
}

TEST_F(MidiModuleBaseTest, StartAndStopSwitchRunningWithoutAConnection) {
    auto* base = static_cast<MidiModuleBase*>(module);
    EXPECT_EQ(callSlot<ResultCode>(module, placeStart, std::int32_t{0}), 0);
    EXPECT_TRUE(base->isRunning());
    EXPECT_EQ(callSlot<ResultCode>(module, placeStop, std::int32_t{0}), 0);
    EXPECT_FALSE(base->isRunning());
}

TEST(ModuleLifetimeTest, AParameterTheHostKeepsOutlivesItsModuleSafely) {
    RecordingHostMidiServices services;
    RecordingHostContext context{services};
    auto* module = static_cast<ModuleInterface*>(
        createProductInstance(const_cast<ClassInfo*>(&productClassInfo)));
    ASSERT_EQ(callSlot<ResultCode>(module, placeInitialize, &context), 0);
    void* owner = nullptr;
    callSlot<ResultCode>(module, 1, ParameterOwnerInterfaceId.raw(), &owner);
    ParameterInterface* speed = nullptr;
    static_cast<ParameterOwnerInterface*>(owner)->findParameter("portamentoSpeed", &speed);
    speed->AddRef();
    static_cast<ParameterOwnerInterface*>(owner)->Release();
    callSlot<ResultCode>(module, placeTerminate);
    EXPECT_EQ(callSlot<std::uint32_t>(module, placeRelease), 0u);
    // The module is gone; a change must not reach it (the sanitizer build catches a call).
    speed->setValue(100);
    EXPECT_EQ(speed->getValue(), 100);
    EXPECT_EQ(speed->Release(), 0u);
}

} // namespace
} // namespace quorlin::testing
