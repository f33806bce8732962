// Values, text, change reports and identity of the three parameter classes.

#include "parameters/Parameter.h"
#include "RegistryCheck.h"
#include "parameters/IntParameter.h"
#include "parameters/ParameterRegistry.h"
#include "product/PortamentoSpeedParameter.h"
#include "testing/FakeOwner.h"
#include "testing/SlotCall.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace quorlin {
namespace {

using testing::callSlot;
using testing::FakeOwner;

std::string textOf(ParameterInterface* parameter) {
    char text[32];
    parameter->toText(text);
    return text;
}

class ParameterTest : public testing::RegistryCheck {};

TEST_F(ParameterTest, NewPortamentoSpeedIsOffAndUnattached) {
    auto* speed = new PortamentoSpeedParameter();
    EXPECT_EQ(speed->getValue(), -1);
    EXPECT_EQ(speed->getMin(), -1);
    EXPECT_EQ(speed->getMax(), 127);
    EXPECT_EQ(textOf(speed), "Off");
    EXPECT_EQ(speed->attachedTag(), -1);
    EXPECT_EQ(speed->attachedOwner(), nullptr);
    EXPECT_EQ(speed->flagBits(), 0u);
    EXPECT_EQ(speed->referenceCount(), 1);
    speed->setValue(0);
    EXPECT_EQ(textOf(speed), "0");
    speed->setValue(127);
    EXPECT_EQ(textOf(speed), "127");
    EXPECT_EQ(speed->Release(), 0u);
}

TEST_F(ParameterTest, SetValueReportsOnlyRealChangesOnceToTheOwner) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    speed->attach(&owner, 7);

    speed->setValue(-1);
    EXPECT_TRUE(owner.reports.empty());
    EXPECT_FALSE(speed->isPending());

    speed->setValue(64);
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].parameter, static_cast<ParameterInterface*>(speed));
    EXPECT_EQ(owner.reports[0].tag, 7);
    // The owner already reads the new value, and `pending` is set only after it returns.
    EXPECT_EQ(owner.reports[0].value, 64);
    EXPECT_FALSE(owner.reports[0].pendingDuringCall);
    EXPECT_TRUE(speed->isPending());

    speed->setValue(64);
    EXPECT_EQ(owner.reports.size(), 1u);
    speed->Release();

    // Without an owner the change is still pending for the listeners.
    auto* ownerless = new PortamentoSpeedParameter();
    ownerless->setValue(5);
    EXPECT_TRUE(ownerless->isPending());
    ownerless->Release();
}

TEST_F(ParameterTest, SetValueClampsToTheRangeAndReportsOnlyWhenTheStoredValueMoves) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    speed->attach(&owner, 0);
    speed->setValue(1000);
    EXPECT_EQ(speed->getValue(), 127);
    speed->setValue(INT32_MAX); // clamps to the value already stored
    speed->setValue(-1000);
    EXPECT_EQ(speed->getValue(), -1);
    speed->setValue(INT32_MIN);
    EXPECT_EQ(owner.reports.size(), 2u);
    speed->Release();

    // Signed comparison across the whole 32-bit range.
    auto* wide = new IntParameter(INT32_MIN, INT32_MAX);
    EXPECT_EQ(wide->getValue(), INT32_MIN);
    wide->setValue(-5);
    EXPECT_EQ(wide->getValue(), -5);
    wide->setValue(INT32_MAX);
    EXPECT_EQ(wide->getValue(), INT32_MAX);
    wide->Release();
}

TEST_F(ParameterTest, PortamentoSpeedTextInput) {
    auto* speed = new PortamentoSpeedParameter();
    struct Case {
        const char* text;
        std::int32_t before;
        std::int32_t expected;
    };
    const Case cases[] = {
        {"Off", 10, -1},
        {"", 10, -1},
        {"abc", 10, -1},
        {"  42xyz", -1, 42},
        {"12 steps", -1, 12},
        {"+5", -1, 5},
        {"200", -1, 127},
        {"-9", 10, -1},
        {"0", 10, 0},
        {"99999999999", -1, 127},
        {"-99999999999", 10, -1},
        {"- 5", 10, -1},
    };
    for (const Case& c : cases) {
        speed->setValue(c.before);
        speed->fromText(c.text);
        EXPECT_EQ(speed->getValue(), c.expected) << "text '" << c.text << "'";
    }
    speed->Release();
}

TEST_F(ParameterTest, IntParameterTextKeepsValueOnGarbageAndFitsTwelveBytes) {
    auto* number = new IntParameter(INT32_MIN, INT32_MAX);
    number->setValue(17);
    number->fromText("abc");
    EXPECT_EQ(number->getValue(), 17);
    number->fromText("Off");
    EXPECT_EQ(number->getValue(), 17);
    number->fromText("\t-300 volts");
    EXPECT_EQ(number->getValue(), -300);
    number->fromText("99999999999");
    EXPECT_EQ(number->getValue(), INT32_MAX);

    // The widest text, written into exactly 12 bytes followed by a guard.
    number->setValue(INT32_MIN);
    char text[16];
    std::memset(text, '#', sizeof text);
    number->toText(text);
    EXPECT_STREQ(text, "-2147483648");
    EXPECT_EQ(text[12], '#');
    number->Release();
}

TEST_F(ParameterTest, PlainParameterIsOnOff) {
    FakeOwner owner;
    auto* toggle = new Parameter();
    toggle->attach(&owner, 1);
    EXPECT_EQ(toggle->getMin(), 0);
    EXPECT_EQ(toggle->getMax(), 1);
    EXPECT_EQ(toggle->getValue(), 0);
    EXPECT_EQ(textOf(toggle), "Off");

    // Only the exact text "Off" means off.
    for (const char* meansOn : {"off", "Off ", "", "On", "0"}) {
        toggle->setValue(0);
        toggle->fromText(meansOn);
        EXPECT_EQ(toggle->getValue(), 1) << "text '" << meansOn << "'";
        EXPECT_EQ(textOf(toggle), "On");
    }
    toggle->fromText("Off");
    EXPECT_EQ(toggle->getValue(), 0);

    // Compared unchanged: 5 while on is a change, and stays on; 1 while on is not.
    toggle->setValue(1);
    owner.reports.clear();
    toggle->setValue(5);
    EXPECT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(toggle->getValue(), 1);
    toggle->setValue(1);
    EXPECT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(toggle->flagBits() & Parameter::on, Parameter::on);
    toggle->Release();
}

TEST_F(ParameterTest, SilentStoresWithoutReporting) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    speed->attach(&owner, 0);
    EXPECT_EQ(speed->setOption(Parameter::reportingOption, 0), resultOk);
    speed->setValue(30);
    EXPECT_EQ(speed->getValue(), 30);
    EXPECT_TRUE(owner.reports.empty());
    EXPECT_FALSE(speed->isPending());

    // Turning reporting back on does not report the earlier change.
    EXPECT_EQ(speed->setOption(Parameter::reportingOption, 1), resultOk);
    EXPECT_TRUE(owner.reports.empty());
    EXPECT_FALSE(speed->isPending());
    speed->setValue(31);
    EXPECT_EQ(owner.reports.size(), 1u);

    // Only the lowest byte of the flag counts: 0x100 is false.
    speed->setOption(Parameter::reportingOption, 0x100);
    speed->setValue(32);
    EXPECT_EQ(owner.reports.size(), 1u);
    speed->setOption(Parameter::reportingOption, 0x201);
    speed->setValue(33);
    EXPECT_EQ(owner.reports.size(), 2u);

    // Other kinds are ignored, and changing `silent` leaves `pending` alone.
    EXPECT_TRUE(speed->isPending());
    EXPECT_EQ(speed->setOption(2, 0), resultOk);
    EXPECT_EQ(speed->setOption(0, 0), resultOk);
    speed->setOption(Parameter::reportingOption, 0);
    EXPECT_TRUE(speed->isPending());
    speed->setOption(Parameter::reportingOption, 1);
    speed->setValue(34);
    EXPECT_EQ(owner.reports.size(), 3u);
    speed->Release();
}

TEST_F(ParameterTest, AttachReplacesOwnerAndTag) {
    FakeOwner first;
    FakeOwner second;
    auto* speed = new PortamentoSpeedParameter();
    speed->attach(&first, 1);
    speed->attach(&second, 2);
    speed->setValue(3);
    EXPECT_TRUE(first.reports.empty());
    ASSERT_EQ(second.reports.size(), 1u);
    EXPECT_EQ(second.reports[0].tag, 2);

    speed->forgetOwner(&first); // not its owner: nothing changes
    EXPECT_EQ(speed->attachedOwner(), &second);
    speed->forgetOwner(&second);
    EXPECT_EQ(speed->attachedOwner(), nullptr);
    EXPECT_EQ(speed->attachedTag(), 2);
    speed->setValue(4);
    EXPECT_EQ(second.reports.size(), 1u);
    speed->Release();
}

TEST_F(ParameterTest, OwnerMayReleaseTheLastReferenceInsideItsReport) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    speed->attach(&owner, 0);
    std::int32_t registered = parameterRegistry().count();
    owner.onChanged = [](ParameterInterface* parameter) { parameter->Release(); };
    speed->setValue(9); // must not touch the parameter after the owner returns
    EXPECT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(parameterRegistry().count(), registered - 1);
}

TEST_F(ParameterTest, OwnerMayChangeTheValueAgainFromInsideItsReport) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    speed->attach(&owner, 0);
    owner.onChanged = [](ParameterInterface* parameter) {
        if (parameter->getValue() > 100) {
            parameter->setValue(100);
        }
    };
    speed->setValue(120);
    EXPECT_EQ(speed->getValue(), 100);
    ASSERT_EQ(owner.reports.size(), 2u);
    EXPECT_EQ(owner.reports[1].value, 100);
    speed->Release();
}

TEST_F(ParameterTest, QueryInterfaceAnswersInTableOrderOnOneCount) {
    auto* speed = new PortamentoSpeedParameter();
    ParameterInterface* first = speed;
    ParameterNotifierInterface* second = speed;
    ASSERT_NE(static_cast<void*>(first), static_cast<void*>(second));

    struct Row {
        const InterfaceId* id;
        void* expected;
    };
    const Row rows[] = {{&UnknownInterfaceId, first},
                        {&ParameterInterfaceId, first},
                        {&ParameterNotifierInterfaceId, second},
                        {&ParameterNotifierInterfaceAltId, second}};
    for (const Row& row : rows) {
        for (UnknownInterface* through :
             {static_cast<UnknownInterface*>(first), static_cast<UnknownInterface*>(second)}) {
            void* out = nullptr;
            std::int32_t before = speed->referenceCount();
            EXPECT_EQ(through->QueryInterface(row.id->raw(), &out), resultOk);
            EXPECT_EQ(out, row.expected);
            EXPECT_EQ(speed->referenceCount(), before + 1);
            static_cast<UnknownInterface*>(out)->Release();
        }
    }

    // AddRef and Release through either interface move the one count.
    EXPECT_EQ(second->AddRef(), 2u);
    EXPECT_EQ(first->AddRef(), 3u);
    EXPECT_EQ(second->Release(), 2u);
    EXPECT_EQ(first->Release(), 1u);

    // Unknown identifiers, including ones a single byte away from a known one.
    for (const InterfaceId* known :
         {&UnknownInterfaceId, &ParameterInterfaceId, &ParameterNotifierInterfaceId,
          &ParameterNotifierInterfaceAltId}) {
        for (int place : {0, 7, 15}) {
            InterfaceIdBytes bytes = *known->raw();
            bytes.bytes[place] ^= 0x40;
            void* out = reinterpret_cast<void*>(1);
            EXPECT_EQ(second->QueryInterface(&bytes, &out), resultNoInterface);
            EXPECT_EQ(out, nullptr);
        }
    }
    void* out = nullptr;
    EXPECT_EQ(first->QueryInterface(ParameterListenerInterfaceId.raw(), &out), resultNoInterface);
    EXPECT_EQ(speed->referenceCount(), 1);
    EXPECT_EQ(second->Release(), 0u);
}

// The host calls by place in the table; these calls read the table, not our declarations.
TEST_F(ParameterTest, ParameterInterfaceOperationsSitAtTheirPlaces) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    void* first = static_cast<ParameterInterface*>(speed);

    void* out = nullptr;
    EXPECT_EQ(callSlot<ResultCode>(first, 1, ParameterNotifierInterfaceId.raw(), &out), resultOk);
    EXPECT_EQ(out, static_cast<void*>(static_cast<ParameterNotifierInterface*>(speed)));
    EXPECT_EQ(callSlot<std::uint32_t>(first, 2), 3u);
    EXPECT_EQ(callSlot<std::uint32_t>(first, 3), 2u);
    EXPECT_EQ(callSlot<std::uint32_t>(first, 3), 1u);

    callSlot<void>(first, 10, static_cast<ParameterOwnerInterface*>(&owner), std::int32_t{4});
    EXPECT_EQ(speed->attachedTag(), 4);
    callSlot<void>(first, 7, std::int32_t{55});
    EXPECT_EQ(callSlot<std::int32_t>(first, 6), 55);
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].tag, 4);
    EXPECT_EQ(callSlot<std::int32_t>(first, 8), -1);
    EXPECT_EQ(callSlot<std::int32_t>(first, 9), 127);
    char text[12];
    callSlot<void>(first, 4, static_cast<char*>(text));
    EXPECT_STREQ(text, "55");
    callSlot<void>(first, 5, static_cast<const char*>("Off"));
    EXPECT_EQ(speed->getValue(), -1);
    speed->Release();
}

} // namespace
} // namespace quorlin
