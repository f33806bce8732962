// Running out of memory, and the paths that must not allocate at all.

#include "RegistryCheck.h"
#include "parameters/ChangeTimer.h"
#include "parameters/ParameterList.h"
#include "product/PortamentoSpeedParameter.h"
#include "testing/CountingAllocator.h"
#include "testing/FakeOwner.h"
#include "testing/RecordingListener.h"

#include <gtest/gtest.h>

#include <new>

namespace quorlin {
namespace {

using testing::FakeOwner;
using testing::RecordingListener;

// Runs `operation` with only `successes` allocations allowed; true when it ran out.
template <typename Operation> bool runsOutOfMemory(int successes, Operation operation) {
    testing::failAllocationsAfter(successes);
    bool threw = false;
    try {
        operation();
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    testing::stopFailingAllocations();
    return threw;
}

class AllocationTest : public testing::RegistryCheck {};

// Run `operation` with only `successes` allocations allowed and give back its result.
template <typename Operation>
ResultCode withAllocationsLimited(int successes, Operation operation) {
    testing::failAllocationsAfter(successes);
    ResultCode result = operation();
    testing::stopFailingAllocations();
    return result;
}

TEST_F(AllocationTest, AddListenerWithoutMemoryAnswersOutOfMemoryAndGivesBackItsQuery) {
    auto* speed = new PortamentoSpeedParameter();
    RecordingListener listener;
    auto add = [&] { return speed->addListener(&listener); };
    // First the list itself, then, once a list exists, the entry.
    EXPECT_EQ(withAllocationsLimited(0, add), resultOutOfMemory);
    EXPECT_EQ(speed->listenerCount(), 0);
    EXPECT_EQ(listener.references(), 1);
    EXPECT_EQ(withAllocationsLimited(1, add), resultOutOfMemory);
    EXPECT_EQ(speed->listenerCount(), 0);
    EXPECT_EQ(listener.references(), 1);

    EXPECT_EQ(speed->addListener(&listener), resultOk);
    EXPECT_EQ(withAllocationsLimited(0, add), resultOutOfMemory);
    EXPECT_EQ(speed->listenerCount(), 1);
    EXPECT_EQ(listener.references(), 2);
    speed->Release();
    EXPECT_EQ(listener.references(), 1);
}

TEST_F(AllocationTest, AddParameterWithoutMemoryLeavesTheParameterWithTheCaller) {
    FakeOwner owner;
    ParameterList list;
    list.setOwner(&owner);
    auto* speed = new PortamentoSpeedParameter();
    EXPECT_TRUE(runsOutOfMemory(0, [&] { list.addParameter(speed, 0, "portamentoSpeed"); }));
    EXPECT_EQ(list.parameterCount(), 0);
    EXPECT_EQ(speed->referenceCount(), 1);
    EXPECT_EQ(speed->attachedOwner(), nullptr);
    EXPECT_EQ(speed->attachedTag(), -1);
    list.addParameter(speed, 0, "portamentoSpeed");
    EXPECT_EQ(list.findByName("portamentoSpeed"), static_cast<ParameterInterface*>(speed));
}

TEST_F(AllocationTest, ChangesAndQuietTicksDoNotAllocate) {
    FakeOwner owner;
    RecordingListener listener;
    listener.reports.reserve(4);
    owner.reports.reserve(8);
    auto* speed = new PortamentoSpeedParameter();
    auto* quiet = new PortamentoSpeedParameter();
    speed->attach(&owner, 0);
    speed->addListener(&listener);

    std::int64_t before = testing::allocationCount();
    speed->setValue(10);
    speed->setValue(11);
    speed->fromText("12");
    speed->setOption(Parameter::reportingOption, 0);
    speed->setValue(13);
    EXPECT_EQ(testing::allocationCount(), before);

    // A tick with nothing pending is one walk over the registry.
    deliverPendingChanges(nullptr, 0, 0, 0); // delivers the pending change
    before = testing::allocationCount();
    deliverPendingChanges(nullptr, 0, 0, 0);
    EXPECT_EQ(testing::allocationCount(), before);
    EXPECT_EQ(listener.reports.size(), 1u);
    speed->Release();
    quiet->Release();
}

TEST_F(AllocationTest, ATickWithoutMemoryKeepsTheChangeForTheNextTick) {
    auto* speed = new PortamentoSpeedParameter();
    auto* other = new PortamentoSpeedParameter();
    RecordingListener listener;
    listener.reports.reserve(4);
    speed->addListener(&listener);
    other->addListener(&listener);
    speed->setValue(1);
    other->setValue(2);

    // A timer callback must not throw into the platform's dispatcher.
    EXPECT_FALSE(runsOutOfMemory(0, [] { deliverPendingChanges(nullptr, 0, 0, 0); }));
    EXPECT_TRUE(listener.reports.empty());
    EXPECT_TRUE(speed->isPending());
    EXPECT_TRUE(other->isPending());
    EXPECT_EQ(listener.references(), 3);

    deliverPendingChanges(nullptr, 0, 0, 0);
    EXPECT_EQ(listener.reports.size(), 2u);
    speed->Release();
    other->Release();
    EXPECT_EQ(listener.references(), 1);
}

} // namespace
} // namespace quorlin
