// What the module sends for each kind of event, in which order, by which path.

#include "legato/MidiProtocol.h"
#include "testing/ModuleFixture.h"

#include <climits>

namespace quorlin::testing {
namespace {

using Calls = std::vector<std::string>;

class QuorlinModuleTest : public ModuleFixture {
protected:
    void SetUp() override {
        ModuleFixture::SetUp();
        ASSERT_EQ(initialize(), resultOk);
        services.clearLog();
    }
};

TEST_F(QuorlinModuleTest, NoteOnReadsSendsControllerThenNoteInExactOrder) {
    services.outputResult = 7;
    EXPECT_EQ(send(midi::statusNoteOn, 60, 100, 480, 0), 7);
    EXPECT_EQ(services.calls,
              (Calls{"getStatus e1", "getData1 e1", "getData2 e1", "getPosition e1", "getLength e1",
                     "isImmediate e1", "createEvent 176 65 0 -1 -> e2", "getPosition e1",
                     "setPosition e2 480", "outputEvent e2", "releaseEvent e2", "outputEvent e1"}));
}

TEST_F(QuorlinModuleTest, NoteOffAndPassThroughSendOnlyTheEvent) {
    services.outputResult = 3;
    services.forwardResult = 9;
    EXPECT_EQ(send(midi::statusNoteOff, 60, 0, 10), 3);
    EXPECT_EQ(services.calls, (Calls{"getStatus e1", "getData1 e1", "getData2 e1", "getPosition e1",
                                     "getLength e1", "isImmediate e1", "outputEvent e1"}));
    services.clearLog();
    // The immediate flag is left untouched on pass-through.
    EXPECT_EQ(send(midi::statusController, 7, 100, 20, 0, 1), 9);
    EXPECT_EQ(services.calls, (Calls{"getStatus e2", "getData1 e2", "getData2 e2", "getPosition e2",
                                     "getLength e2", "isImmediate e2", "forwardEvent e2"}));
    EXPECT_EQ(services.sent.back().position, 20);
}

TEST_F(QuorlinModuleTest, LegatoValueFollowsTheKeysHeld) {
    send(midi::statusNoteOn, 60, 100, 0);  // alone: 0
    send(midi::statusNoteOn, 64, 100, 10); // 60 still held: 127
    send(midi::statusNoteOff, 60, 0, 20);
    send(midi::statusNoteOn, 67, 100, 30); // 64 still held: 127
    send(midi::statusNoteOn, 64, 0, 40);   // velocity 0 is a note-off
    send(midi::statusNoteOff, 67, 0, 50);
    send(midi::statusNoteOff, 99, 0, 55);  // a key not held changes nothing
    send(midi::statusNoteOn, 72, 100, 60); // alone again: 0
    send(midi::statusNoteOn, 72, 90, 70);  // the same key again replaces its entry: still 0
    EXPECT_EQ(sentControllers(),
              (Calls{"cc65=0@0/output", "cc65=127@10/output", "cc65=127@30/output",
                     "cc65=0@60/output", "cc65=0@70/output"}));
}

TEST_F(QuorlinModuleTest, NotesWithLengthsEndAtTheirEndPosition) {
    send(midi::statusNoteOn, 60, 100, 0, 480);   // ends at 480
    send(midi::statusNoteOn, 62, 100, 480, 480); // back to back: 60 has ended, 0
    send(midi::statusNoteOn, 64, 100, 900, 480); // 62 ends at 960, still sounding: 127
    EXPECT_EQ(sentControllers(),
              (Calls{"cc65=0@0/output", "cc65=0@480/output", "cc65=127@900/output"}));
}

TEST_F(QuorlinModuleTest, OtherStatusesPassThroughAndLeaveTheTableAlone) {
    send(midi::statusNoteOn, 60, 100, 0);
    for (std::int32_t status : {145, 129, 176, 224, 0, -144}) {
        send(status, 61, 100, 5);
    }
    send(midi::statusNoteOn, 62, 100, 10);
    EXPECT_EQ(sentControllers(), (Calls{"cc65=0@0/output", "cc65=127@10/output"}));
    for (const SentEvent& e : services.sent) {
        if (e.status != 144 && !e.createdByModule) {
            EXPECT_EQ(e.path, "forward");
        }
    }
}

TEST_F(QuorlinModuleTest, ImmediateNoteOnGoesOutForwardAtTheSmallestPosition) {
    send(midi::statusNoteOn, 60, 100, 480, 0,
         0x100); // only the low byte of the flag counts: not immediate
    services.clearLog();
    send(midi::statusNoteOn, 62, 100, 960, 0, 0x101);
    EXPECT_EQ(services.calls,
              (Calls{"getStatus e3", "getData1 e3", "getData2 e3", "getPosition e3", "getLength e3",
                     "isImmediate e3", "createEvent 176 65 127 -1 -> e4", "getPosition e3",
                     "setPosition e4 960", "setImmediate e4 1", "setPosition e4 -2147483648",
                     "forwardEvent e4", "releaseEvent e4", "setImmediate e3 1",
                     "setPosition e3 -2147483648", "forwardEvent e3"}));
}

TEST_F(QuorlinModuleTest, SpeedGoesOutOnceAtTheNextPosition) {
    ParameterInterface* speed = speedParameter();
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(time(100), resultOk);
    EXPECT_TRUE(sentControllers().empty()); // never changed: nothing due

    speed->setValue(50);
    speed->setValue(64); // several changes between two positions give one controller
    EXPECT_EQ(time(200), resultOk);
    EXPECT_EQ(time(300), resultOk);
    EXPECT_EQ(sentControllers(), (Calls{"cc5=64@200/output"}));

    speed->setValue(-1); // "Off" sends nothing, now or later
    time(400);
    time(500);
    callSlot<ResultCode>(module, placeStart, std::int32_t{0});
    time(600);
    EXPECT_EQ(sentControllers(), (Calls{"cc5=64@200/output"}));

    speed->setValue(10);
    time(700, 1); // an immediate position sends it forward
    EXPECT_EQ(sentControllers().back(), "cc5=10@-2147483648/forward");
}

TEST_F(QuorlinModuleTest, StartSendsTheLastSpeedAgain) {
    callSlot<ResultCode>(module, placeStart, std::int32_t{0});
    time(0);
    EXPECT_TRUE(sentControllers().empty()); // the last reported speed is "Off"

    speedParameter()->fromText("64");
    time(10);
    callSlot<ResultCode>(module, placeStart, std::int32_t{0});
    time(20);
    EXPECT_EQ(sentControllers(), (Calls{"cc5=64@10/output", "cc5=64@20/output"}));
}

TEST_F(QuorlinModuleTest, StopForgetsEveryHeldKey) {
    send(midi::statusNoteOn, 60, 100, 0);
    send(midi::statusNoteOn, 64, 100, 0);
    EXPECT_EQ(callSlot<ResultCode>(module, placeStop, std::int32_t{0}), resultOk);
    send(midi::statusNoteOn, 67, 100, 10);
    EXPECT_EQ(sentControllers().back(), "cc65=0@10/output");
}

TEST_F(QuorlinModuleTest, AllNotesOffAndTheModeMessagesLetEveryHeldKeyGo) {
    // Reset All Controllers and Local Control end no note; the others do, and pass on as sent.
    for (std::int32_t number : {120, 121, 122, 123, 124, 125, 126, 127}) {
        callSlot<ResultCode>(module, placeStop, std::int32_t{0});
        send(midi::statusNoteOn, 60, 100, number);
        services.clearLog();
        send(midi::statusController, number, 0, number);
        // The six reads and the forward, as for any other event: no host call is added.
        ASSERT_EQ(services.calls.size(), 7u);
        EXPECT_EQ(services.calls.back().rfind("forwardEvent", 0), 0u);
        send(midi::statusNoteOn, 62, 100, number);
        bool ends = number == 120 || number >= 123;
        EXPECT_EQ(sentControllers().back(),
                  (ends ? "cc65=0@" : "cc65=127@") + std::to_string(number) + "/output");
    }
}

TEST_F(QuorlinModuleTest, OnlyTheSpeedTagCountsAsASpeedChange) {
    auto* owner = query<ParameterOwnerInterface>(ParameterOwnerInterfaceId);
    ParameterInterface* speed = speedParameter();
    speed->setValue(30);
    time(0);
    services.clearLog();
    EXPECT_EQ(callSlot<ResultCode>(owner, 5, speed, std::int32_t{1}), resultOk);
    time(10);
    EXPECT_TRUE(sentControllers().empty());
    EXPECT_EQ(callSlot<ResultCode>(owner, 5, speed, std::int32_t{0}), resultOk);
    time(20);
    EXPECT_EQ(sentControllers(), (Calls{"cc5=30@20/output"}));
}

TEST_F(QuorlinModuleTest, MissingControllerEventSkipsOnlyTheController) {
    services.createEventYieldsNull = true;
    services.outputResult = 5;
    EXPECT_EQ(send(midi::statusNoteOn, 60, 100, 0), 5);
    speedParameter()->setValue(20);
    time(10);
    ASSERT_EQ(services.sent.size(), 1u);
    EXPECT_EQ(services.sent[0].data1, 60);
}

TEST(QuorlinModuleUnconnectedTest, NothingIsSentBeforeInitializeOrAfterTerminate) {
    RecordingHostMidiServices services;
    RecordingHostContext context{services};
    auto* module = static_cast<ModuleInterface*>(
        createProductInstance(const_cast<ClassInfo*>(&productClassInfo)));
    HostEvent* noteOn = services.makeEvent(midi::statusNoteOn, 60, 100);
    EXPECT_EQ(callSlot<ResultCode>(module, placeProcessEvent, noteOn), resultUnexpected);
    EXPECT_EQ(callSlot<ResultCode>(module, placeProcessEvent,
                                   services.makeEvent(midi::statusController, 1, 2)),
              resultUnexpected);
    EXPECT_EQ(callSlot<ResultCode>(module, placeProcessTime, 0, 0, 0), resultOk);

    // A speed due while the connection is gone waits for the next connection.
    ASSERT_EQ(callSlot<ResultCode>(module, placeInitialize, &context), resultOk);
    callSlot<ResultCode>(module, placeStart, std::int32_t{0});
    auto* owner = static_cast<ParameterOwnerInterface*>(nullptr);
    void* out = nullptr;
    callSlot<ResultCode>(module, placeQueryInterface, ParameterOwnerInterfaceId.raw(), &out);
    owner = static_cast<ParameterOwnerInterface*>(out);
    ParameterInterface* speed = nullptr;
    owner->findParameter("portamentoSpeed", &speed);
    owner->Release();
    speed->setValue(90);
    callSlot<ResultCode>(module, placeTerminate);
    EXPECT_EQ(callSlot<ResultCode>(module, placeProcessEvent, noteOn), resultUnexpected);
    EXPECT_EQ(callSlot<ResultCode>(module, placeProcessTime, 5, 0, 0), resultOk);
    EXPECT_TRUE(services.sent.empty());

    ASSERT_EQ(callSlot<ResultCode>(module, placeInitialize, &context), resultOk);
    callSlot<ResultCode>(module, placeProcessTime, 6, 0, 0);
    ASSERT_EQ(services.sent.size(), 1u);
    EXPECT_EQ(services.sent[0].data1, midi::controllerPortamentoTime);
    EXPECT_EQ(services.sent[0].data2, 90);
    EXPECT_EQ(services.sent[0].position, 6);

    // The note-ons refused while unconnected never entered the table of held keys.
    callSlot<ResultCode>(module, placeProcessEvent,
                         services.makeEvent(midi::statusNoteOn, 62, 100, 7));
    ASSERT_EQ(services.sent.size(), 3u);
    EXPECT_EQ(services.sent[1].data1, midi::controllerPortamento);
    EXPECT_EQ(services.sent[1].data2, 0);

    callSlot<ResultCode>(module, placeTerminate);
    EXPECT_EQ(callSlot<std::uint32_t>(module, placeRelease), 0u);
    EXPECT_EQ(services.references(), 1);
    EXPECT_EQ(context.references(), 1);
}

} // namespace
} // namespace quorlin::testing
