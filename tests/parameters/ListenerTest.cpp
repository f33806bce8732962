// Listener registration through a parameter's second interface, and the references it takes.

#include "RegistryCheck.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterRegistry.h"
#include "product/PortamentoSpeedParameter.h"
#include "testing/RecordingListener.h"
#include "testing/SlotCall.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

using testing::callSlot;
using testing::RecordingListener;

class ListenerTest : public testing::RegistryCheck {};

bool isInRegistry(const Parameter* parameter) {
    for (ListNode* node = parameterRegistry().first(); node != nullptr; node = node->nextNode()) {
        if (Parameter::fromNode(node) == parameter) {
            return true;
        }
    }
    return false;
}

TEST_F(ListenerTest, RefusesNullAndObjectsThatAreNoListeners) {
    auto* speed = new PortamentoSpeedParameter();
    RecordingListener stranger;
    stranger.answersListenerId = false;
    EXPECT_EQ(speed->addListener(nullptr), resultInvalidArgument);
    EXPECT_EQ(speed->removeListener(nullptr), resultInvalidArgument);
    EXPECT_EQ(speed->addListener(&stranger), resultInvalidArgument);
    EXPECT_EQ(speed->removeListener(&stranger), resultInvalidArgument);
    EXPECT_EQ(speed->listenerCount(), 0);
    EXPECT_EQ(stranger.references(), 1);
    speed->Release();
}

TEST_F(ListenerTest, DuplicatesAreSeparateEntriesRemovedOneAtATime) {
    auto* speed = new PortamentoSpeedParameter();
    RecordingListener listener;
    EXPECT_EQ(speed->addListener(&listener), resultOk);
    EXPECT_EQ(speed->addListener(&listener), resultOk);
    EXPECT_EQ(speed->listenerCount(), 2);
    EXPECT_EQ(listener.references(), 3); // one per entry

    EXPECT_EQ(speed->removeListener(&listener), resultOk);
    EXPECT_EQ(listener.references(), 2);
    EXPECT_EQ(speed->removeListener(&listener), resultOk);
    EXPECT_EQ(listener.references(), 1);
    EXPECT_EQ(speed->removeListener(&listener), resultFalse);
    EXPECT_EQ(listener.references(), 1); // the lookup's own reference was given back
    EXPECT_EQ(speed->listenerCount(), 0);
    speed->Release();
}

TEST_F(ListenerTest, RemovingFromAParameterThatNeverHadListenersAnswersFalse) {
    auto* speed = new PortamentoSpeedParameter();
    RecordingListener listener;
    EXPECT_EQ(speed->removeListener(&listener), resultFalse);
    EXPECT_EQ(listener.references(), 1);
    EXPECT_EQ(listener.addRefs, listener.releases);
    speed->Release();
}

TEST_F(ListenerTest, RemovalFindsTheRightEntryAmongOthers) {
    auto* speed = new PortamentoSpeedParameter();
    RecordingListener a;
    RecordingListener b;
    RecordingListener c;
    speed->addListener(&a);
    speed->addListener(&b);
    speed->addListener(&c);
    EXPECT_EQ(speed->removeListener(&b), resultOk);
    EXPECT_EQ(b.references(), 1);
    EXPECT_EQ(a.references(), 2);
    EXPECT_EQ(c.references(), 2);
    EXPECT_EQ(speed->listenerCount(), 2);
    speed->Release();
    EXPECT_EQ(a.references(), 1);
    EXPECT_EQ(c.references(), 1);
}

TEST_F(ListenerTest, LastReleaseLeavesRegistryAndReleasesEachEntryOnce) {
    auto* speed = new PortamentoSpeedParameter();
    RecordingListener once;
    RecordingListener twice;
    speed->addListener(&once);
    speed->addListener(&twice);
    speed->addListener(&twice);
    speed->AddRef();
    EXPECT_EQ(speed->Release(), 1u);
    EXPECT_TRUE(isInRegistry(speed));

    int onceReleases = once.releases;
    int twiceReleases = twice.releases;
    EXPECT_EQ(speed->Release(), 0u);
    EXPECT_FALSE(isInRegistry(speed));
    EXPECT_EQ(once.releases - onceReleases, 1);
    EXPECT_EQ(twice.releases - twiceReleases, 2);
    EXPECT_EQ(once.references(), 1);
    EXPECT_EQ(twice.references(), 1);
}

TEST_F(ListenerTest, RegistryHoldsLiveParametersInOrderOfConstruction) {
    std::int32_t before = parameterRegistry().count();
    auto* a = new PortamentoSpeedParameter();
    auto* b = new Parameter();
    auto* c = new PortamentoSpeedParameter();
    ASSERT_EQ(parameterRegistry().count(), before + 3);
    EXPECT_EQ(parameterRegistry().nodeAt(before), static_cast<ListNode*>(a));
    EXPECT_EQ(parameterRegistry().nodeAt(before + 1), static_cast<ListNode*>(b));
    EXPECT_EQ(parameterRegistry().nodeAt(before + 2), static_cast<ListNode*>(c));
    b->Release();
    EXPECT_EQ(parameterRegistry().nodeAt(before + 1), static_cast<ListNode*>(c));
    a->Release();
    c->Release();
    EXPECT_EQ(parameterRegistry().count(), before);
}

TEST_F(ListenerTest, NotifierOperationsSitAtTheirPlaces) {
    auto* speed = new PortamentoSpeedParameter();
    void* second = static_cast<ParameterNotifierInterface*>(speed);
    RecordingListener listener;
    UnknownInterface* object = &listener;

    void* out = nullptr;
    EXPECT_EQ(callSlot<ResultCode>(second, 1, ParameterInterfaceId.raw(), &out), resultOk);
    EXPECT_EQ(out, static_cast<void*>(static_cast<ParameterInterface*>(speed)));
    EXPECT_EQ(callSlot<std::uint32_t>(second, 3), 1u);
    EXPECT_EQ(callSlot<std::uint32_t>(second, 2), 2u);
    EXPECT_EQ(callSlot<std::uint32_t>(second, 3), 1u);

    EXPECT_EQ(callSlot<ResultCode>(second, 4, object), resultOk);
    EXPECT_EQ(speed->listenerCount(), 1);
    EXPECT_EQ(callSlot<ResultCode>(second, 5, object), resultOk);
    EXPECT_EQ(callSlot<ResultCode>(second, 5, object), resultFalse);
    EXPECT_EQ(callSlot<ResultCode>(second, 6, std::int32_t{1}, std::int32_t{0}), resultOk);
    EXPECT_NE(speed->flagBits() & Parameter::silent, 0u);
    speed->Release();
}

} // namespace
} // namespace quorlin
