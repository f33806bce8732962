// The model is the yardstick for the fuzzers and the stress suites, so its own rules are held
// to the product's documented examples here.

#include "legato/MidiProtocol.h"
#include "testing/DecimalReading.h"
#include "testing/ReferenceHost.h"

#include <gtest/gtest.h>

#include <limits>

namespace quorlin::reliability {
namespace {

constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t highest = std::numeric_limits<std::int32_t>::max();

ExpectedSend controller(std::int32_t number, std::int32_t value, std::int32_t position,
                        bool immediate = false) {
    return {immediate, midi::statusController,        number,
            value,     immediate ? lowest : position, immediate ? 1 : 0,
            true};
}

ExpectedSend passed(const ModelEvent& event) {
    return {false, event.status, event.data1, event.data2, event.position, event.immediate, false};
}

TEST(DecimalReadingTest, ReadsLikePercentDAndHoldsAtTheLimits) {
    struct Case {
        const char* text;
        bool found;
        std::int32_t value;
    };
    const Case cases[] = {
        {"12 steps", true, 12},
        {"  42xyz", true, 42},
        {"\t\n\v\f\r-7", true, -7},
        {"+5", true, 5},
        {"-000", true, 0},
        {"1e5", true, 1},
        {"0x10", true, 0},
        {"abc", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"+ 1", false, 0},
        {"Off", false, 0},
        {"2147483647", true, highest},
        {"2147483648", true, highest},
        {"-2147483648", true, lowest},
        {"-2147483649", true, lowest},
        {"00000000002147483646", true, highest - 1},
        {"99999999999999999999", true, highest},
        {"-99999999999999999999", true, lowest},
    };
    for (const Case& c : cases) {
        DecimalReading reading = DecimalReading::of(c.text);
        EXPECT_EQ(reading.found, c.found) << c.text;
        if (c.found) {
            EXPECT_EQ(reading.value, c.value) << c.text;
        }
    }
}

class ReferenceInstanceTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(instance.initialize(ContextKind::answering), 0); }

    ReferenceInstance instance;
    HostBehaviour host{false, 11, 22};
};

TEST_F(ReferenceInstanceTest, ControllerSixtyFiveFollowsTheHeldKeys) {
    ModelEvent first{midi::statusNoteOn, 60, 100, 10, 0, 0};
    ExpectedCall call = instance.processEvent(first, host);
    EXPECT_EQ(call.result, 11);
    EXPECT_EQ(call.sends,
              (std::vector<ExpectedSend>{
                  controller(midi::controllerPortamento, midi::portamentoOff, 10), passed(first)}));

    ModelEvent second{midi::statusNoteOn, 64, 100, 20, 0, 0};
    call = instance.processEvent(second, host);
    EXPECT_EQ(call.sends,
              (std::vector<ExpectedSend>{
                  controller(midi::controllerPortamento, midi::portamentoOn, 20), passed(second)}));

    // Velocity 0 is a note-off; a note-off of a key not held passes on and changes nothing.
    ModelEvent release{midi::statusNoteOn, 64, 0, 30, 0, 0};
    call = instance.processEvent(release, host);
    EXPECT_EQ(call.sends, std::vector<ExpectedSend>{passed(release)});
    ModelEvent stray{midi::statusNoteOff, 99, 5, 31, 0, 0};
    EXPECT_EQ(instance.processEvent(stray, host).sends, std::vector<ExpectedSend>{passed(stray)});
    EXPECT_EQ(instance.heldKeys(), 1u);

    // The same key again replaces its entry instead of counting twice.
    EXPECT_EQ(
        instance.processEvent({midi::statusNoteOn, 60, 90, 40, 0, 0}, host).sends.front().data2, 0);

    // Channel bits make another status: it passes through on the forward path.
    ModelEvent channelTwo{145, 62, 100, 50, 0, 1};
    call = instance.processEvent(channelTwo, host);
    EXPECT_EQ(call.result, 22);
    ASSERT_EQ(call.sends.size(), 1u);
    EXPECT_TRUE(call.sends[0].forward);
    EXPECT_EQ(call.sends[0].position, 50);

    instance.stop();
    EXPECT_EQ(
        instance.processEvent({midi::statusNoteOn, 61, 100, 60, 0, 0}, host).sends.front().data2,
        0);
}

TEST_F(ReferenceInstanceTest, NoteLengthsEndKeysAtOrBeforeTheNextNoteOn) {
    instance.processEvent({midi::statusNoteOn, 60, 100, 1000, 480, 0}, host);
    // Back to back: the first ends exactly where the second starts.
    EXPECT_EQ(instance.processEvent({midi::statusNoteOn, 62, 100, 1480, 480, 0}, host)
                  .sends.front()
                  .data2,
              0);
    // Overlapping: the second still runs at 1900.
    EXPECT_EQ(instance.processEvent({midi::statusNoteOn, 64, 100, 1900, 480, 0}, host)
                  .sends.front()
                  .data2,
              midi::portamentoOn);
    // The end wraps in 32 bits: a note near the top of the range ends below its start.
    instance.stop();
    instance.processEvent({midi::statusNoteOn, 70, 100, highest - 5, 10, 0}, host);
    EXPECT_EQ(instance.processEvent({midi::statusNoteOn, 71, 100, highest, 0, 0}, host)
                  .sends.front()
                  .data2,
              0);
}

TEST_F(ReferenceInstanceTest, ImmediateEventsGoForwardAtTheEarliestPosition) {
    ModelEvent note{midi::statusNoteOn, 60, 100, 500, 0, 0x101};
    ExpectedCall call = instance.processEvent(note, host);
    EXPECT_EQ(call.result, 22);
    ExpectedSend sentNote{true, midi::statusNoteOn, 60, 100, lowest, 1, false};
    EXPECT_EQ(call.sends, (std::vector<ExpectedSend>{controller(midi::controllerPortamento,
                                                                midi::portamentoOff, 500, true),
                                                     sentNote}));
    // Only the low byte of the flag counts.
    ModelEvent notImmediate{midi::statusNoteOn, 62, 100, 600, 0, 0x100};
    call = instance.processEvent(notImmediate, host);
    EXPECT_EQ(call.result, 11);
    EXPECT_EQ(call.sends.back(), passed(notImmediate));
}

TEST_F(ReferenceInstanceTest, PortamentoTimeGoesOutOnceAfterAChangeOrStart) {
    instance.start();
    EXPECT_TRUE(instance.processTime(5, 0, host).sends.empty()); // the last speed is Off
    instance.speedChanged(64);
    instance.speedChanged(70);
    EXPECT_EQ(instance.processTime(100, 0, host).sends,
              std::vector<ExpectedSend>{controller(5, 70, 100)});
    EXPECT_TRUE(instance.processTime(200, 0, host).sends.empty());
    instance.start();
    EXPECT_EQ(instance.processTime(300, 1, host).sends,
              std::vector<ExpectedSend>{controller(5, 70, 300, true)});

    // Not connected: nothing goes out and the controller stays due.
    instance.speedChanged(10);
    instance.terminate();
    EXPECT_EQ(instance.processEvent({midi::statusNoteOn, 60, 100, 0, 0, 0}, host).result,
              ReferenceInstance::notConnected);
    EXPECT_TRUE(instance.processTime(400, 0, host).sends.empty());
    instance.initialize(ContextKind::answering);
    // Without a created event the controller is skipped and the request used up.
    host.createYieldsNull = true;
    EXPECT_TRUE(instance.processTime(500, 0, host).sends.empty());
    host.createYieldsNull = false;
    EXPECT_TRUE(instance.processTime(600, 0, host).sends.empty());
    EXPECT_EQ(instance.initialize(ContextKind::refusing), ReferenceInstance::invalidArgument);
    EXPECT_TRUE(instance.connected());
}

TEST(ReferenceHostTest, TimerUsesAndParameterLifetime) {
    ReferenceHost host(2);
    int a = host.createInstance();
    int b = host.createInstance();
    EXPECT_EQ(host.initialize(a, ContextKind::null), ReferenceInstance::invalidArgument);
    EXPECT_EQ(host.timerUses(), 0);
    host.initialize(a, ContextKind::answering);
    host.initialize(a, ContextKind::answering);
    host.initialize(b, ContextKind::answering);
    EXPECT_EQ(host.timerUses(), 2);
    EXPECT_EQ(host.liveParameters(), 2u);
    int kept = host.instance(a).parameter;
    host.terminate(a);
    host.initialize(a, ContextKind::answering);
    EXPECT_EQ(host.instance(a).parameter, kept);
    EXPECT_EQ(host.liveParameters(), 2u);

    host.parameter(kept).addListener(0);
    host.parameter(kept).addListener(0);
    host.holdParameter(kept);
    host.terminate(a);
    host.destroyInstance(a);
    EXPECT_TRUE(host.parameterAlive(kept));
    EXPECT_EQ(host.registrations(0), 2);
    EXPECT_EQ(host.parameterReferences(kept), 1);
    EXPECT_EQ(host.releaseParameter(kept), 0);
    EXPECT_FALSE(host.parameterAlive(kept));
    EXPECT_EQ(host.registrations(0), 0);
    EXPECT_EQ(host.timerUses(), 1);
}

TEST(ReferenceHostTest, TickReportsOncePerChangeAndFollowsListenersActions) {
    ReferenceHost host(3);
    int id = host.createInstance();
    host.initialize(id, ContextKind::answering);
    ReferenceParameter& speed = host.parameter(host.instance(id).parameter);
    speed.setValue(-1); // no change, nothing owed
    EXPECT_TRUE(host.tick().empty());
    speed.addListener(0);
    speed.addListener(1);
    speed.setValue(3);
    speed.setValue(4);
    speed.setValue(500);
    EXPECT_EQ(host.tick(), (std::vector<ListenerReport>{{0, 0, 127}, {1, 0, 127}}));
    EXPECT_TRUE(host.tick().empty());

    // Listener 0 removes 1 and adds 2, then 1 is skipped and 2 waits for the next change;
    // a change made from inside the pass reaches the owner but is not owed to the listeners.
    host.setAction(0, {ListenerAction::Kind::removeOther, 1, 0});
    speed.setValue(5);
    EXPECT_EQ(host.tick(), (std::vector<ListenerReport>{{0, 0, 5}}));
    host.setAction(0, {ListenerAction::Kind::addOther, 2, 0});
    speed.setValue(6);
    EXPECT_EQ(host.tick(), (std::vector<ListenerReport>{{0, 0, 6}}));
    host.setAction(0, {ListenerAction::Kind::setValue, 0, 9});
    speed.setValue(7);
    EXPECT_EQ(host.tick(), (std::vector<ListenerReport>{{0, 0, 7}, {2, 0, 9}}));
    EXPECT_FALSE(speed.owesListeners());
    EXPECT_EQ(host.instance(id).processTime(0, 0, {}).sends.front().data2, 9);

    // Silent changes are neither reported nor owed.
    host.setAction(0, {});
    speed.setOption(1, 0x100);
    speed.setValue(20);
    EXPECT_TRUE(host.tick().empty());
    EXPECT_TRUE(host.instance(id).processTime(0, 0, {}).sends.empty());
}

} // namespace
} // namespace quorlin::reliability
