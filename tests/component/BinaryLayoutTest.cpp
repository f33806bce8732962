// The host addresses operations by their place in the table. These tests bind our declarations
// to raw tables of function pointers, so an operation declared out of place fails.

#include "component/FactoryInterface.h"
#include "component/HostMidiServices.h"
#include "component/ModuleInterfaces.h"
#include "testing/RecordingHostMidiServices.h"
#include "testing/SlotCall.h"

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

namespace quorlin {
namespace {

// A host object written the way a host in another language would: a table of plain functions.
struct RawHostObject {
    const void* const* table;
    int lastPlace;
};

template <int Place, typename Result, typename... Args>
Result QUORLIN_CALL rawOperation(void* self, Args...) noexcept {
    static_cast<RawHostObject*>(self)->lastPlace = Place;
    if constexpr (std::is_pointer_v<Result>) {
        return reinterpret_cast<Result>(static_cast<std::uintptr_t>(Place));
    } else {
        return static_cast<Result>(Place);
    }
}

template <int Place> const void* unusedRaw() {
    return reinterpret_cast<const void*>(&rawOperation<Place, ResultCode>);
}

using I32 = std::int32_t;
using Event = HostEvent*;

const void* const rawServicesTable[32] = {
    reinterpret_cast<const void*>(&rawOperation<1, ResultCode, const InterfaceIdBytes*, void**>),
    reinterpret_cast<const void*>(&rawOperation<2, std::uint32_t>),
    reinterpret_cast<const void*>(&rawOperation<3, std::uint32_t>),
    reinterpret_cast<const void*>(&rawOperation<4, HostEvent*, I32, I32, I32, I32>),
    unusedRaw<5>(),
    unusedRaw<6>(),
    reinterpret_cast<const void*>(&rawOperation<7, ResultCode, Event>),
    reinterpret_cast<const void*>(&rawOperation<8, ResultCode, Event>),
    reinterpret_cast<const void*>(&rawOperation<9, ResultCode, Event>),
    reinterpret_cast<const void*>(&rawOperation<10, ResultCode, Event, I32>),
    reinterpret_cast<const void*>(&rawOperation<11, I32, Event>),
    unusedRaw<12>(),
    reinterpret_cast<const void*>(&rawOperation<13, I32, Event>),
    reinterpret_cast<const void*>(&rawOperation<14, ResultCode, Event, I32>),
    reinterpret_cast<const void*>(&rawOperation<15, I32, Event>),
    unusedRaw<16>(),
    unusedRaw<17>(),
    reinterpret_cast<const void*>(&rawOperation<18, I32, Event>),
    unusedRaw<19>(),
    reinterpret_cast<const void*>(&rawOperation<20, I32, Event>),
    unusedRaw<21>(),
    reinterpret_cast<const void*>(&rawOperation<22, I32, Event>),
    unusedRaw<23>(),
    unusedRaw<24>(),
    unusedRaw<25>(),
    unusedRaw<26>(),
    unusedRaw<27>(),
    unusedRaw<28>(),
    unusedRaw<29>(),
    unusedRaw<30>(),
    unusedRaw<31>(),
    reinterpret_cast<const void*>(&rawOperation<32, ResultCode, I32>),
};

TEST(BinaryLayoutTest, HostMidiServicesOperationsSitAtTheirPlaces) {
    RawHostObject raw{rawServicesTable, 0};
    auto* services = reinterpret_cast<HostMidiServices*>(&raw);
    HostEvent* event = nullptr;
    void* out = nullptr;

    struct Expectation {
        int place;
        std::function<void()> call;
    };
    const Expectation expectations[] = {
        {1, [&] { services->QueryInterface(HostMidiServicesId.raw(), &out); }},
        {2, [&] { services->AddRef(); }},
        {3, [&] { services->Release(); }},
        {4, [&] { services->createEvent(176, 65, 127, -1); }},
        {7, [&] { services->releaseEvent(event); }},
        {8, [&] { services->outputEvent(event); }},
        {9, [&] { services->forwardEvent(event); }},
        {10, [&] { services->setPosition(event, 5); }},
        {11, [&] { services->getPosition(event); }},
        {13, [&] { services->getLength(event); }},
        {14, [&] { services->setImmediate(event, 1); }},
        {15, [&] { services->isImmediate(event); }},
        {18, [&] { services->getStatus(event); }},
        {20, [&] { services->getData1(event); }},
        {22, [&] { services->getData2(event); }},
        {32, [&] { services->setHostOption(1); }},
    };
    for (const Expectation& e : expectations) {
        raw.lastPlace = 0;
        e.call();
        EXPECT_EQ(raw.lastPlace, e.place);
    }
}

TEST(BinaryLayoutTest, TheTestHostAnswersByPlace) {
    testing::RecordingHostMidiServices services;
    HostEvent* event = services.makeEvent(144, 60, 100, 480, 240, 1);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 18, event), 144);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 20, event), 60);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 22, event), 100);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 11, event), 480);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 13, event), 240);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 15, event), 1);
    HostEvent* created = testing::callSlot<HostEvent*>(&services, 4, 176, 65, 0, -1);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(services.event(created).data1, 65);
    testing::callSlot<ResultCode>(&services, 7, created);
    EXPECT_EQ(services.eventsCreated, 1);
    EXPECT_EQ(services.eventsReleased, 1);
}

} // namespace
} // namespace quorlin
