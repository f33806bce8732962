// The timer pass, called directly so every case is deterministic: what it delivers, in which
// order, and that it stays sound when listeners change lists and lifetimes from inside.

#include "RegistryCheck.h"
#include "ReleaseHookListener.h"
#include "parameters/ChangeTimer.h"
#include "parameters/Parameter.h"
#include "parameters/ParameterRegistry.h"
#include "product/PortamentoSpeedParameter.h"
#include "testing/FakeOwner.h"
#include "testing/RecordingListener.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

using testing::FakeOwner;
using testing::RecordingListener;
using testing::ReleaseHookListener;

void runPass() {
    deliverPendingChanges(nullptr, 0, 0, 0);
}

class DeliveryPassTest : public testing::RegistryCheck {};

TEST_F(DeliveryPassTest, ManyChangesGiveTheOwnerEachAndEveryListenerOne) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    speed->attach(&owner, 3);
    RecordingListener a;
    RecordingListener b;
    speed->addListener(&a);
    speed->addListener(&b);
    speed->addListener(&b); // twice: called twice
    speed->setValue(10);
    speed->setValue(20);
    speed->setValue(30);
    EXPECT_EQ(owner.reports.size(), 3u);
    EXPECT_TRUE(a.reports.empty()); // listeners wait for the tick

    runPass();
    ASSERT_EQ(a.reports.size(), 1u);
    EXPECT_EQ(a.reports[0].parameter, static_cast<ParameterInterface*>(speed));
    EXPECT_EQ(a.reports[0].tag, 3);
    EXPECT_EQ(a.reports[0].value, 30);
    ASSERT_EQ(b.reports.size(), 2u);
    EXPECT_EQ(b.reports[1].value, 30);
    EXPECT_FALSE(speed->isPending());
    EXPECT_EQ(owner.reports.size(), 3u); // the pass never calls the owner

    runPass();
    EXPECT_EQ(a.reports.size(), 1u);
    speed->Release();
    EXPECT_EQ(a.references(), 1);
    EXPECT_EQ(b.references(), 1);
}

TEST_F(DeliveryPassTest, ParametersAreServedInOrderOfConstructionOnlyWhenPending) {
    auto* first = new PortamentoSpeedParameter();
    auto* quiet = new PortamentoSpeedParameter();
    auto* last = new PortamentoSpeedParameter();
    RecordingListener listener;
    for (Parameter* parameter : {static_cast<Parameter*>(first), static_cast<Parameter*>(quiet),
                                 static_cast<Parameter*>(last)}) {
        parameter->addListener(&listener);
    }
    last->setValue(2);
    first->setValue(1);
    runPass();
    ASSERT_EQ(listener.reports.size(), 2u);
    EXPECT_EQ(listener.reports[0].parameter, static_cast<ParameterInterface*>(first));
    EXPECT_EQ(listener.reports[1].parameter, static_cast<ParameterInterface*>(last));
    first->Release();
    quiet->Release();
    last->Release();
    EXPECT_EQ(listener.references(), 1);
}

TEST_F(DeliveryPassTest, NothingIsDeliveredForSilentDestroyedOrUnheardChanges) {
    auto* silenced = new PortamentoSpeedParameter();
    auto* destroyed = new PortamentoSpeedParameter();
    auto* unheard = new PortamentoSpeedParameter();
    RecordingListener listener;
    silenced->addListener(&listener);
    destroyed->addListener(&listener);
    unheard->addListener(&listener);
    unheard->removeListener(&listener);
    silenced->setOption(Parameter::reportingOption, 0);
    silenced->setValue(5);
    destroyed->setValue(5);
    destroyed->Release();
    unheard->setValue(5);
    runPass();
    EXPECT_TRUE(listener.reports.empty());
    EXPECT_FALSE(unheard->isPending()); // without listeners the pass only clears the flag
    silenced->Release();
    unheard->Release();
    EXPECT_EQ(listener.references(), 1);
}

TEST_F(DeliveryPassTest, AChangeMadeByAListenerReachesOnlyTheOwner) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    speed->attach(&owner, 0);
    RecordingListener listener;
    speed->addListener(&listener);
    listener.onChanged = [](ParameterInterface* parameter, std::int32_t) {
        if (parameter->getValue() == 10) {
            parameter->setValue(50);
        }
    };
    speed->setValue(10);
    runPass();
    EXPECT_EQ(owner.reports.size(), 2u);
    EXPECT_EQ(speed->getValue(), 50);
    EXPECT_FALSE(speed->isPending());
    runPass();
    EXPECT_EQ(listener.reports.size(), 1u);
    speed->Release();
}

TEST_F(DeliveryPassTest, ListenersRemovingThemselvesAndOthersDuringThePass) {
    auto* speed = new PortamentoSpeedParameter();
    RecordingListener a;
    RecordingListener b;
    RecordingListener c;
    RecordingListener d;
    for (RecordingListener* listener : {&a, &b, &c, &d}) {
        speed->addListener(listener);
    }
    // a removes itself and the later c; b removes the earlier a a second time (not there).
    a.onChanged = [&](ParameterInterface*, std::int32_t) {
        EXPECT_EQ(speed->removeListener(&a), resultOk);
        EXPECT_EQ(speed->removeListener(&c), resultOk);
    };
    b.onChanged = [&](ParameterInterface*, std::int32_t) {
        EXPECT_EQ(speed->removeListener(&a), resultFalse);
    };
    speed->setValue(1);
    runPass();
    EXPECT_EQ(a.reports.size(), 1u);
    EXPECT_EQ(b.reports.size(), 1u);
    EXPECT_TRUE(c.reports.empty()); // removed before its turn: not called any more
    EXPECT_EQ(d.reports.size(), 1u);
    EXPECT_EQ(speed->listenerCount(), 2);
    EXPECT_EQ(a.references(), 1);
    EXPECT_EQ(c.references(), 1);

    a.onChanged = nullptr;
    b.onChanged = nullptr;
    speed->setValue(2);
    runPass();
    EXPECT_EQ(a.reports.size(), 1u);
    EXPECT_EQ(b.reports.size(), 2u);
    EXPECT_EQ(d.reports.size(), 2u);
    speed->Release();
    EXPECT_EQ(b.references(), 1);
    EXPECT_EQ(d.references(), 1);
}

TEST_F(DeliveryPassTest, AListenerAddedDuringThePassHearsFromTheNextChangeOn) {
    auto* speed = new PortamentoSpeedParameter();
    RecordingListener a;
    RecordingListener late;
    speed->addListener(&a);
    a.onChanged = [&](ParameterInterface*, std::int32_t) {
        speed->addListener(&late);
        a.onChanged = nullptr;
    };
    speed->setValue(1);
    runPass();
    EXPECT_TRUE(late.reports.empty());
    EXPECT_EQ(speed->listenerCount(), 2);
    speed->setValue(2);
    runPass();
    EXPECT_EQ(late.reports.size(), 1u);
    EXPECT_EQ(a.reports.size(), 2u);
    speed->Release();
    EXPECT_EQ(late.references(), 1);
}

TEST_F(DeliveryPassTest, AListenerMayReleaseTheLastReferenceToTheParameterItHears) {
    std::int32_t registered = parameterRegistry().count();
    auto* served = new PortamentoSpeedParameter();
    auto* later = new PortamentoSpeedParameter();
    RecordingListener releasing;
    RecordingListener after;
    RecordingListener ofLater;
    served->addListener(&releasing);
    served->addListener(&after);
    later->addListener(&ofLater);
    releasing.onChanged = [](ParameterInterface* parameter, std::int32_t) {
        parameter->Release(); // the test's only reference
    };
    served->setValue(7);
    later->setValue(8);
    runPass();
    // The parameter lived to the end of its turn, then went, and the walk went on.
    ASSERT_EQ(after.reports.size(), 1u);
    EXPECT_EQ(after.reports[0].value, 7);
    ASSERT_EQ(ofLater.reports.size(), 1u);
    EXPECT_EQ(parameterRegistry().count(), registered + 1);
    EXPECT_EQ(releasing.references(), 1);
    EXPECT_EQ(after.references(), 1);
    later->Release();
    EXPECT_EQ(ofLater.references(), 1);
}

TEST_F(DeliveryPassTest, AListenerMayDestroyAParameterTheWalkHasNotReachedYet) {
    auto* first = new PortamentoSpeedParameter();
    auto* doomed = new PortamentoSpeedParameter();
    auto* last = new PortamentoSpeedParameter();
    RecordingListener killer;
    RecordingListener ofDoomed;
    RecordingListener ofLast;
    first->addListener(&killer);
    doomed->addListener(&ofDoomed);
    last->addListener(&ofLast);
    killer.onChanged = [&](ParameterInterface*, std::int32_t) { doomed->Release(); };
    for (Parameter* parameter : {static_cast<Parameter*>(first), static_cast<Parameter*>(doomed),
                                 static_cast<Parameter*>(last)}) {
        parameter->setValue(1);
    }
    runPass();
    EXPECT_EQ(killer.reports.size(), 1u);
    EXPECT_TRUE(ofDoomed.reports.empty());
    EXPECT_EQ(ofDoomed.references(), 1);
    EXPECT_EQ(ofLast.reports.size(), 1u);
    first->Release();
    last->Release();
}

// The served parameter is dropped by its own listener; when the pass lets go of it, the
// listener's release drops more parameters, among them the one after it in the registry.
TEST_F(DeliveryPassTest, ReleasingAServedParameterMayDestroyItsRegistryNeighbours) {
    auto* served = new PortamentoSpeedParameter();
    auto* neighbour = new PortamentoSpeedParameter(); // not pending
    auto* next = new PortamentoSpeedParameter();
    auto* tail = new PortamentoSpeedParameter();
    ReleaseHookListener hook;
    RecordingListener ofNext;
    RecordingListener ofTail;
    served->addListener(&hook);
    next->addListener(&ofNext);
    tail->addListener(&ofTail);
    hook.onChanged = [](ParameterInterface* parameter) { parameter->Release(); };
    served->setValue(1);
    next->setValue(1);
    tail->setValue(1);
    hook.onRelease = [&] {
        neighbour->Release();
        tail->Release();
    };
    runPass();
    EXPECT_EQ(hook.calls, 1);
    EXPECT_EQ(hook.references(), 1);
    EXPECT_EQ(ofNext.reports.size(), 1u);
    EXPECT_TRUE(ofTail.reports.empty());
    EXPECT_EQ(ofTail.references(), 1);
    next->Release();
}

} // namespace
} // namespace quorlin
