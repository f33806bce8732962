// The change timer with a real message loop. Ticks come only while the test pumps messages,
// so counts are exact where the number of pending batches is; waits are generous because
// the machine may be loaded.

#include "parameters/ChangeTimer.h"
#include "RegistryCheck.h"
#include "product/PortamentoSpeedParameter.h"
#include "testing/FakeOwner.h"
#include "testing/MessagePump.h"
#include "testing/RecordingListener.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

namespace quorlin {
namespace {

using namespace std::chrono_literals;
using testing::FakeOwner;
using testing::pumpMessagesFor;
using testing::pumpPendingMessages;
using testing::pumpUntil;
using testing::RecordingListener;

class ChangeTimerTest : public testing::RegistryCheck {
protected:
    void SetUp() override {
        ASSERT_EQ(changeTimerStartCount(), 0);
        speed = new PortamentoSpeedParameter();
        speed->attach(&owner, 0);
        speed->addListener(&listener);
    }
    void TearDown() override {
        killChangeTimerAtUnload(); // leaves no timer behind even when a test failed midway
        speed->Release();
        EXPECT_EQ(listener.references(), 1);
        RegistryCheck::TearDown();
    }

    bool delivered(std::size_t count) {
        return pumpUntil([&] { return listener.reports.size() >= count; });
    }
    // Starts the timer, waits for `count` reports, and stops it again.
    bool deliveredWhileStarted(std::size_t count) {
        startChangeTimer();
        bool arrived = delivered(count);
        stopChangeTimer();
        return arrived;
    }

    FakeOwner owner;
    RecordingListener listener;
    PortamentoSpeedParameter* speed = nullptr;
};

TEST_F(ChangeTimerTest, ThreeChangesBetweenTwoTicksReachEachListenerOnce) {
    RecordingListener second;
    speed->addListener(&second);
    startChangeTimer();
    EXPECT_EQ(changeTimerStartCount(), 1);
    speed->setValue(10);
    speed->setValue(20);
    speed->setValue(30);
    EXPECT_EQ(owner.reports.size(), 3u);

    ASSERT_TRUE(delivered(1));
    ASSERT_TRUE(pumpUntil([&] { return second.reports.size() >= 1; }));
    pumpMessagesFor(100ms); // several more ticks with nothing pending
    ASSERT_EQ(listener.reports.size(), 1u);
    EXPECT_EQ(listener.reports[0].value, 30);
    EXPECT_EQ(second.reports.size(), 1u);
    EXPECT_EQ(owner.reports.size(), 3u);
    stopChangeTimer();
    speed->removeListener(&second);
}

TEST_F(ChangeTimerTest, UsersShareOneTimerThatTheLastStopKills) {
    startChangeTimer();
    startChangeTimer();
    EXPECT_EQ(changeTimerStartCount(), 2);

    stopChangeTimer();
    EXPECT_EQ(changeTimerStartCount(), 1);
    speed->setValue(1);
    EXPECT_TRUE(delivered(1)) << "the first stop must leave the timer running";

    stopChangeTimer();
    EXPECT_EQ(changeTimerStartCount(), 0);
    speed->setValue(2);
    pumpMessagesFor(150ms);
    EXPECT_EQ(listener.reports.size(), 1u) << "a tick came after the last stop";
    EXPECT_TRUE(speed->isPending());

    // The change kept while stopped is delivered after the next start.
    startChangeTimer();
    ASSERT_TRUE(delivered(2));
    EXPECT_EQ(listener.reports[1].value, 2);
    stopChangeTimer();
}

TEST_F(ChangeTimerTest, ChangesMadeBeforeTheFirstStartWaitForIt) {
    speed->setValue(5);
    pumpMessagesFor(100ms);
    EXPECT_TRUE(listener.reports.empty());
    EXPECT_TRUE(deliveredWhileStarted(1));
}

TEST_F(ChangeTimerTest, AnUnmatchedStopDoesNotKeepTheNextStartFromCreatingTheTimer) {
    stopChangeTimer();
    EXPECT_EQ(changeTimerStartCount(), 0);
    startChangeTimer();
    EXPECT_EQ(changeTimerStartCount(), 1);
    speed->setValue(5);
    EXPECT_TRUE(delivered(1));
    stopChangeTimer();
}

TEST_F(ChangeTimerTest, UnloadKillsARunningTimerAndResetsTheCount) {
    startChangeTimer();
    startChangeTimer();
    killChangeTimerAtUnload();
    EXPECT_EQ(changeTimerStartCount(), 0);
    speed->setValue(3);
    pumpMessagesFor(150ms);
    EXPECT_TRUE(listener.reports.empty());

    // Nothing is left half-stopped: a new start makes a working timer again.
    EXPECT_TRUE(deliveredWhileStarted(1));
    EXPECT_EQ(changeTimerStartCount(), 0);
}

} // namespace
} // namespace quorlin
