// Many instances on the one process-wide change timer.

#include "StressHost.h"
#include "parameters/ChangeTimer.h"
#include "parameters/Parameter.h"
#include "testing/MessagePump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <thread>

extern "C" quorlin::FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept;

namespace quorlin::reliability {
namespace {

using namespace std::chrono_literals;
using testing::pumpUntil;

constexpr int instanceCount = 64;

class SharedTimerStressTest : public ::testing::Test {
protected:
    void SetUp() override {
        FactoryInterface* factory = GetPluginFactory();
        for (int i = 0; i < instanceCount; ++i) {
            hosts.push_back(std::make_unique<StressHost>());
            StressHost& host = *hosts.back();
            ASSERT_TRUE(host.create(factory));
            ASSERT_EQ(host.initialize(), resultOk);
            ASSERT_EQ(changeTimerStartCount(), i + 1);
            ASSERT_EQ(host.listen(), resultOk);
            host.listener.onChanged = [this, i](ParameterInterface*, std::int32_t) {
                served.push_back(i);
            };
        }
        factory->Release();
    }

    void TearDown() override {
        for (auto& host : hosts) {
            host->terminate();
            EXPECT_EQ(host->release(), 0u);
            // The parameter went with its instance and gave its listener back.
            EXPECT_EQ(host->listener.references(), 1);
            EXPECT_EQ(host->services.references(), 1);
            EXPECT_EQ(host->context.references(), 1);
        }
        EXPECT_EQ(changeTimerStartCount(), 0);
    }

    void changeAll(std::int32_t value) {
        for (auto& host : hosts) {
            host->speed()->setValue(value);
        }
    }

    std::size_t totalReports() const {
        std::size_t total = 0;
        for (const auto& host : hosts) {
            total += host->listener.reports.size();
        }
        return total;
    }

    std::vector<std::unique_ptr<StressHost>> hosts;
    std::vector<int> served;
};

TEST_F(SharedTimerStressTest, OneTickServesEveryInstanceInOrderOfCreation) {
    changeAll(5);
    ASSERT_TRUE(pumpUntil([this] { return served.size() >= instanceCount; }));
    std::vector<int> creationOrder(instanceCount);
    std::iota(creationOrder.begin(), creationOrder.end(), 0);
    EXPECT_EQ(served, creationOrder);

    // One timer, not one per instance: a value changed before every pump is reported at most
    // once per 20 ms period.
    StressHost& first = *hosts.front();
    first.listener.reports.clear();
    auto start = std::chrono::steady_clock::now();
    std::int32_t value = 0;
    while (std::chrono::steady_clock::now() - start < 200ms) {
        first.speed()->setValue(value++ % 100);
        testing::pumpPendingMessages();
        std::this_thread::sleep_for(1ms);
    }
    auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    EXPECT_GE(first.listener.reports.size(), 1u);
    EXPECT_LE(first.listener.reports.size(), static_cast<std::size_t>(elapsed.count() / 20 + 2))
        << "in " << elapsed.count() << " ms";
}

TEST_F(SharedTimerStressTest, TerminatingInRandomOrderStopsTheTimerOnlyAtTheLast) {
    std::vector<std::size_t> order(instanceCount);
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), std::mt19937(64));
    for (std::size_t step = 0; step < order.size(); ++step) {
        StressHost& host = *hosts[order[step]];
        ASSERT_EQ(host.terminate(), resultOk);
        auto remaining = static_cast<std::int32_t>(instanceCount - step - 1);
        ASSERT_EQ(changeTimerStartCount(), remaining);
        // While any instance is initialized the timer still serves everyone, the terminated
        // instance's parameter included.
        if (remaining > 0 && step % 16 == 0) {
            std::size_t before = host.listener.reports.size();
            host.speed()->setValue(static_cast<std::int32_t>(step));
            EXPECT_TRUE(pumpUntil([&] { return host.listener.reports.size() > before; }))
                << "after " << step + 1 << " terminates";
        }
    }
    // No uses left: no more ticks, and changes stay pending.
    std::size_t before = totalReports();
    changeAll(100);
    testing::pumpMessagesFor(100ms);
    EXPECT_EQ(totalReports(), before);
    for (auto& host : hosts) {
        EXPECT_TRUE(Parameter::fromInterface(host->speed())->isPending());
    }

    // The next initialize starts the timer again, and its first tick delivers them all.
    ASSERT_EQ(hosts[order.back()]->initialize(), resultOk);
    EXPECT_EQ(changeTimerStartCount(), 1);
    EXPECT_TRUE(pumpUntil([&] { return totalReports() == before + instanceCount; }));
    for (auto& host : hosts) {
        EXPECT_EQ(host->listener.reports.back().value, 100);
    }
}

} // namespace
} // namespace quorlin::reliability
