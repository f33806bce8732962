// The channel bank fed as any caller might: random bytes as messages, random settings (not a
// number and infinity among them) and positions that wrap. Nothing it does takes memory.

#include "legato/ChannelBank.h"
#include "testing/CountingAllocator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <random>

namespace quorlin {
namespace {

TEST(ChannelBank, TakesNothingFromTheHeapWhateverItIsFedOrSet) {
    auto bank = std::make_unique<ChannelBank>();
    std::mt19937 random(23);
    auto number = [&](std::uint32_t below) { return random() % below; };
    const double oddValues[] = {std::numeric_limits<double>::quiet_NaN(),
                                std::numeric_limits<double>::infinity(), -1e300, 0.0, 2.2e10};
    std::size_t sent = 0;
    std::int32_t position = std::numeric_limits<std::int32_t>::max() - 100000;

    std::int64_t before = testing::allocationCount();
    for (int step = 0; step < 200000; ++step) {
        std::uint8_t bytes[4];
        for (std::uint8_t& byte : bytes) {
            // Mostly channel messages with data bytes, now and then any byte at all.
            byte = static_cast<std::uint8_t>(number(10) == 0 ? number(256) : number(128));
        }
        bytes[0] = static_cast<std::uint8_t>(0x80 | (number(8) << 4) | number(16));
        position = static_cast<std::int32_t>(static_cast<std::uint32_t>(position) + number(4000));
        switch (number(40)) {
        case 0:
            bank->setSpeed(static_cast<std::int32_t>(number(400)) - 200);
            break;
        case 1:
            bank->setChordWindow(number(2) == 0 ? oddValues[number(5)] : number(200));
            break;
        case 2:
            bank->setPositionRate(number(2) == 0 ? oddValues[number(5)] : number(100000));
            break;
        case 3:
            bank->setPortamentoOnChange(number(2) == 0);
            break;
        case 4:
            number(2) == 0 ? bank->start() : bank->stop();
            sent += bank->dueSpeeds().size();
            break;
        case 5:
            sent += bank->position(static_cast<std::uint8_t>(number(256))).size();
            bank->notSent({bytes[0], bytes[1], bytes[2]});
            break;
        default: {
            ChannelBank::Before out = bank->receive(bytes, number(5), position,
                                                    static_cast<std::int32_t>(number(3000)) - 1000);
            sent += out.size();
        }
        }
    }
    EXPECT_EQ(testing::allocationCount() - before, 0);
    // The bank did its work: controllers 5 and 65 went out, not only nothing.
    EXPECT_GT(sent, 20000u);
}

} // namespace
} // namespace quorlin
