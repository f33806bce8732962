// A module's named parameters: adding, the three lookups, and what destruction gives back.

#include "parameters/ParameterList.h"
#include "RegistryCheck.h"
#include "ReleaseHookListener.h"
#include "parameters/ParameterRegistry.h"
#include "product/PortamentoSpeedParameter.h"
#include "testing/FakeOwner.h"
#include "testing/RecordingListener.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace quorlin {
namespace {

using testing::FakeOwner;
using testing::RecordingListener;

class ParameterListTest : public testing::RegistryCheck {};

TEST_F(ParameterListTest, AddingAttachesToTheOwnerAndTakesOverTheReference) {
    FakeOwner owner;
    ParameterList list;
    list.setOwner(&owner);
    auto* speed = new PortamentoSpeedParameter();
    EXPECT_EQ(list.addParameter(speed, 0, "portamentoSpeed"),
              static_cast<ParameterInterface*>(speed));
    EXPECT_EQ(speed->referenceCount(), 1);
    EXPECT_EQ(speed->attachedOwner(), &owner);
    EXPECT_EQ(speed->attachedTag(), 0);
    EXPECT_EQ(list.parameterCount(), 1);
    speed->setValue(3);
    ASSERT_EQ(owner.reports.size(), 1u);
    EXPECT_EQ(owner.reports[0].parameter, static_cast<ParameterInterface*>(speed));
}

TEST_F(ParameterListTest, WithoutOwnerParametersStayUnattached) {
    ParameterList list;
    auto* speed = new PortamentoSpeedParameter();
    list.addParameter(speed, 5, "speed");
    EXPECT_EQ(speed->attachedOwner(), nullptr);
    EXPECT_EQ(speed->attachedTag(), -1);
    EXPECT_EQ(list.findByTag(5), nullptr);
    EXPECT_EQ(list.findByTag(-1), static_cast<ParameterInterface*>(speed));
}

TEST_F(ParameterListTest, LookupsFindTheFirstExactMatchWithoutAddingReferences) {
    FakeOwner owner;
    ParameterList list;
    list.setOwner(&owner);
    auto* first = new PortamentoSpeedParameter();
    auto* second = new PortamentoSpeedParameter();
    auto* third = new PortamentoSpeedParameter();
    list.addParameter(first, 0, "portamentoSpeed");
    list.addParameter(second, 1, "portamentoSpeed");
    list.addParameter(third, 1, "other");

    EXPECT_EQ(list.findByName("portamentoSpeed"), static_cast<ParameterInterface*>(first));
    EXPECT_EQ(list.findByName("other"), static_cast<ParameterInterface*>(third));
    EXPECT_EQ(list.findByName("PortamentoSpeed"), nullptr);
    EXPECT_EQ(list.findByName("portamentoSpeed "), nullptr);
    EXPECT_EQ(list.findByName("portamento"), nullptr);
    EXPECT_EQ(list.findByName(""), nullptr);
    EXPECT_EQ(list.findByTag(0), static_cast<ParameterInterface*>(first));
    EXPECT_EQ(list.findByTag(1), static_cast<ParameterInterface*>(second));
    EXPECT_EQ(list.findByTag(-1), nullptr);
    EXPECT_EQ(list.findByTag(2), nullptr);
    EXPECT_EQ(first->referenceCount(), 1);
    EXPECT_EQ(second->referenceCount(), 1);
}

TEST_F(ParameterListTest, NameAtFillsTheWholeBufferOrLeavesItAlone) {
    ParameterList list;
    list.addParameter(new PortamentoSpeedParameter(), 0, "portamentoSpeed");
    list.addParameter(new PortamentoSpeedParameter(), 1, std::string(200, 'n').c_str());

    char buffer[ParameterList::nameBufferSize + 4];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_TRUE(list.nameAt(0, buffer));
    EXPECT_STREQ(buffer, "portamentoSpeed");
    for (std::size_t i = std::strlen("portamentoSpeed"); i < ParameterList::nameBufferSize; ++i) {
        ASSERT_EQ(buffer[i], '\0') << "byte " << i;
    }
    EXPECT_EQ(buffer[ParameterList::nameBufferSize], 'x'); // nothing past 128 bytes

    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_TRUE(list.nameAt(1, buffer));
    EXPECT_EQ(std::string(buffer), std::string(127, 'n'));
    EXPECT_EQ(buffer[ParameterList::nameBufferSize], 'x');

    std::memset(buffer, 'x', sizeof buffer);
    for (std::int32_t index : {-1, 2, INT32_MAX, INT32_MIN}) {
        EXPECT_FALSE(list.nameAt(index, buffer)) << index;
    }
    EXPECT_EQ(buffer[0], 'x');
}

TEST_F(ParameterListTest, NamesLongerThan255CharactersKeepTheirFirst255) {
    ParameterList list;
    std::string longName(300, 'a');
    longName[254] = 'b';
    longName[255] = 'c';
    auto* speed = new PortamentoSpeedParameter();
    list.addParameter(speed, 0, longName.c_str());
    EXPECT_EQ(list.findByName(longName.c_str()), nullptr);
    EXPECT_EQ(list.findByName(longName.substr(0, 255).c_str()),
              static_cast<ParameterInterface*>(speed));
    char buffer[ParameterList::nameBufferSize];
    ASSERT_TRUE(list.nameAt(0, buffer));
    EXPECT_EQ(std::string(buffer), longName.substr(0, 127));
}

TEST_F(ParameterListTest, DestructionReleasesEveryParameterAndItsListeners) {
    std::int32_t registered = parameterRegistry().count();
    RecordingListener listener;
    {
        FakeOwner owner;
        ParameterList list;
        list.setOwner(&owner);
        auto* speed = list.addParameter(new PortamentoSpeedParameter(), 0, "a");
        list.addParameter(new PortamentoSpeedParameter(), 1, "b");
        Parameter::fromInterface(speed)->addListener(&listener);
        EXPECT_EQ(parameterRegistry().count(), registered + 2);
    }
    EXPECT_EQ(parameterRegistry().count(), registered);
    EXPECT_EQ(listener.references(), 1);
}

TEST_F(ParameterListTest, AParameterThatOutlivesTheListNoLongerCallsItsOwner) {
    FakeOwner owner;
    auto* speed = new PortamentoSpeedParameter();
    speed->AddRef(); // the host's reference
    {
        ParameterList list;
        list.setOwner(&owner);
        list.addParameter(speed, 0, "portamentoSpeed");
    }
    EXPECT_EQ(speed->referenceCount(), 1);
    EXPECT_EQ(speed->attachedOwner(), nullptr);
    speed->setValue(40);
    EXPECT_TRUE(owner.reports.empty());
    EXPECT_TRUE(speed->isPending()); // listeners are still served
    speed->Release();
}

// Releasing one parameter may run host code; a parameter released later must already be
// detached by then, since the module is on its way out.
TEST_F(ParameterListTest, EveryParameterIsDetachedBeforeAnyIsReleased) {
    FakeOwner owner;
    testing::ReleaseHookListener hook;
    auto* later = new PortamentoSpeedParameter();
    later->AddRef(); // the host's reference
    {
        ParameterList list;
        list.setOwner(&owner);
        auto* first = list.addParameter(new PortamentoSpeedParameter(), 0, "first");
        list.addParameter(later, 1, "later");
        Parameter::fromInterface(first)->addListener(&hook);
        hook.onRelease = [later] { later->setValue(later->getValue() + 1); };
    }
    EXPECT_EQ(later->getValue(), 0); // the hook ran
    EXPECT_TRUE(owner.reports.empty());
    later->Release();
}

} // namespace
} // namespace quorlin
