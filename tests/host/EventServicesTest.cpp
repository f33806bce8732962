#include "host/plugin/EventServices.h"
#include "component/HostServicesContext.h"
#include "testing/SlotCall.h"

#include "legato/MidiProtocol.h"

#include <gtest/gtest.h>

#include <climits>

namespace quorlin::host {
namespace {

using quorlin::testing::callSlot;

TEST(HostEventServicesTest, OperationsSitAtTheirPlacesAndTheOthersDecline) {
    EventServices services;
    std::vector<MidiEvent> sink;
    services.direct(&sink, 7, 2);
    void* table = static_cast<HostMidiServices*>(&services);

    auto* made = callSlot<HostEvent*>(table, 4, 176, 65, 127, -1);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(callSlot<std::int32_t>(table, 18, made), 176);
    EXPECT_EQ(callSlot<std::int32_t>(table, 20, made), 65);
    EXPECT_EQ(callSlot<std::int32_t>(table, 22, made), 127);
    EXPECT_EQ(callSlot<ResultCode>(table, 10, made, 5), resultOk);
    EXPECT_EQ(callSlot<std::int32_t>(table, 11, made), 5);
    EXPECT_EQ(callSlot<std::int32_t>(table, 13, made), 0);
    EXPECT_EQ(callSlot<std::int32_t>(table, 15, made), 0);
    EXPECT_EQ(callSlot<ResultCode>(table, 8, made), resultOk);
    EXPECT_EQ(callSlot<ResultCode>(table, 14, made, 1), resultOk);
    EXPECT_EQ(callSlot<std::int32_t>(table, 15, made), 1);
    EXPECT_EQ(callSlot<ResultCode>(table, 9, made), resultOk);
    EXPECT_EQ(callSlot<ResultCode>(table, 7, made), resultOk);
    EXPECT_EQ(callSlot<ResultCode>(table, 32, 1), resultOk);
    for (int place : {5, 6, 12, 16, 17, 19, 21, 23, 24, 25, 26, 27, 28, 29, 30, 31}) {
        EXPECT_EQ(callSlot<ResultCode>(table, place), resultFalse) << "place " << place;
    }
    // Sent at its own position, then as an immediate event, which happens now.
    EXPECT_EQ(sink,
              (std::vector<MidiEvent>{
                  MidiEvent::channelMessage(5, midi::statusController | 2,
                                            midi::controllerPortamento, midi::portamentoOn),
                  MidiEvent::channelMessage(7, midi::statusController | 2,
                                            midi::controllerPortamento, midi::portamentoOn)}));
}

TEST(HostEventServicesTest, IncomingEventsKeepTheirChannelBesideAPlainStatus) {
    EventServices services;
    std::vector<MidiEvent> sink;
    services.direct(&sink, 0, 9);
    HostMidiEvent record = EventServices::incoming(
        MidiEvent::channelMessage(300, midi::statusPitchBend | 4, 0, 64), 12);
    HostEvent* event = EventServices::handleOf(&record);
    EXPECT_EQ(services.getStatus(event), midi::statusPitchBend);
    EXPECT_EQ(services.getPosition(event), 300);
    EXPECT_EQ(services.getLength(event), 12);
    services.setPosition(event, INT_MIN);
    EXPECT_EQ(services.forwardEvent(event), resultOk);
    EXPECT_EQ(sink, std::vector<MidiEvent>{
                        MidiEvent::channelMessage(0, midi::statusPitchBend | 4, 0, 64)});
}

TEST(HostEventServicesTest, RefusesWhatCannotBecomeAMidiMessage) {
    EventServices services;
    std::vector<MidiEvent> sink;
    services.direct(&sink, 0, 0);
    HostEvent* badStatus = services.createEvent(0xF8, 0, 0, -1);
    HostEvent* badData = services.createEvent(midi::statusController, 128, 0, -1);
    HostEvent* negative = services.createEvent(midi::statusController, 1, -1, -1);
    EXPECT_EQ(services.outputEvent(badStatus), resultInvalidArgument);
    EXPECT_EQ(services.outputEvent(badData), resultInvalidArgument);
    EXPECT_EQ(services.forwardEvent(negative), resultInvalidArgument);
    EXPECT_EQ(services.outputEvent(nullptr), resultInvalidArgument);
    EXPECT_EQ(services.eventsInUse(), 3u);

    EXPECT_EQ(services.releaseEvent(badStatus), resultOk);
    EXPECT_EQ(services.releaseEvent(badStatus), resultInvalidArgument);
    EXPECT_EQ(services.outputEvent(badStatus), resultInvalidArgument);
    HostMidiEvent record =
        EventServices::incoming(MidiEvent::channelMessage(0, midi::statusNoteOn, 1, 1), 0);
    HostEvent* incoming = EventServices::handleOf(&record);
    EXPECT_EQ(services.releaseEvent(incoming), resultInvalidArgument);

    // Without a sink nothing can be sent.
    services.direct(nullptr, 0, 0);
    EXPECT_EQ(services.outputEvent(incoming), resultUnexpected);
    EXPECT_TRUE(sink.empty());

    // A released event is reused, wholly reset, by the next creation.
    HostEvent* reused = services.createEvent(midi::statusNoteOn | 5, 60, 1, -1);
    EXPECT_EQ(reused, badStatus);
    EXPECT_EQ(services.getStatus(reused), midi::statusNoteOn);
    EXPECT_EQ(services.isImmediate(reused), 0);
}

TEST(HostEventServicesTest, ContextHandsOutTheServicesAndCountsReferences) {
    EventServices services;
    HostServicesContext context(services);
    void* answer = nullptr;
    ASSERT_EQ(context.QueryInterface(HostMidiServicesId.raw(), &answer), resultOk);
    EXPECT_EQ(answer, static_cast<HostMidiServices*>(&services));
    EXPECT_EQ(services.references(), 2);
    ASSERT_EQ(context.QueryInterface(UnknownInterfaceId.raw(), &answer), resultOk);
    EXPECT_EQ(answer, static_cast<HostContext*>(&context));
    EXPECT_EQ(context.references(), 2);
    EXPECT_EQ(context.QueryInterface(ModuleInterfaceId.raw(), &answer), resultNoInterface);
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(services.QueryInterface(FactoryInterfaceId.raw(), &answer), resultNoInterface);
    services.Release();
    context.Release();
    EXPECT_EQ(services.references(), 1);
    EXPECT_EQ(context.references(), 1);
}

} // namespace
} // namespace quorlin::host
