// The host addresses operations by their place in the table. These tests bind our declarations
// to raw tables of function pointers, so an operation declared out of place fails.

#include "component/FactoryInterface.h"
#include "component/HostMidiServices.h"
#include "component/ModuleInterfaces.h"
#include "legato/MidiProtocol.h"
#include "testing/RecordingHostMidiServices.h"
#include "testing/SlotCall.h"

#include <gtest/gtest.h>

#include <array>
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
        // The place number stands in for a pointer that the test only compares, never follows.
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
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

// The raw function for one place, with the operation's own signature: a caller-cleans-up
// mismatch would unbalance the stack under the 32-bit convention.
template <int Place, typename Result, typename... Args> const void* at() {
    return reinterpret_cast<const void*>(&rawOperation<Place, Result, Args...>);
}

// Calls each operation through the declaration of `Interface` on an object whose table is
// `table`, and checks that the raw function of the expected place ran.
template <typename Interface> struct PlaceCheck {
    int place;
    std::function<void(Interface*)> call;
};

template <typename Interface>
void expectPlaces(const void* const* table, std::initializer_list<PlaceCheck<Interface>> checks) {
    RawHostObject raw{table, 0};
    auto* object = reinterpret_cast<Interface*>(&raw);
    for (const PlaceCheck<Interface>& check : checks) {
        raw.lastPlace = 0;
        check.call(object);
        EXPECT_EQ(raw.lastPlace, check.place);
    }
}

// Places 1 to 3 of every table.
template <typename Interface> void expectUnknownPlaces(const void* const* table) {
    void* out = nullptr;
    expectPlaces<Interface>(table, {{1, [&](Interface* i) { i->QueryInterface(nullptr, &out); }},
                                    {2, [](Interface* i) { i->AddRef(); }},
                                    {3, [](Interface* i) { i->Release(); }}});
}

const void* const unknownPlaces[3] = {
    at<1, ResultCode, const InterfaceIdBytes*, void**>(),
    at<2, std::uint32_t>(),
    at<3, std::uint32_t>(),
};

// A whole table: the three common places, then `places` from the fourth on.
template <typename... Places> auto tableOf(Places... places) {
    return std::array<const void*, 3 + sizeof...(Places)>{unknownPlaces[0], unknownPlaces[1],
                                                          unknownPlaces[2], places...};
}

TEST(BinaryLayoutTest, HostMidiServicesOperationsSitAtTheirPlaces) {
    HostEvent* event = nullptr;
    expectUnknownPlaces<HostMidiServices>(rawServicesTable);
    expectPlaces<HostMidiServices>(rawServicesTable,
                                   {
                                       {4,
                                        [](auto* s) {
                                            s->createEvent(midi::statusController,
                                                           midi::controllerPortamento,
                                                           midi::portamentoOn, -1);
                                        }},
                                       {7, [&](auto* s) { s->releaseEvent(event); }},
                                       {8, [&](auto* s) { s->outputEvent(event); }},
                                       {9, [&](auto* s) { s->forwardEvent(event); }},
                                       {10, [&](auto* s) { s->setPosition(event, 5); }},
                                       {11, [&](auto* s) { s->getPosition(event); }},
                                       {13, [&](auto* s) { s->getLength(event); }},
                                       {14, [&](auto* s) { s->setImmediate(event, 1); }},
                                       {15, [&](auto* s) { s->isImmediate(event); }},
                                       {18, [&](auto* s) { s->getStatus(event); }},
                                       {20, [&](auto* s) { s->getData1(event); }},
                                       {22, [&](auto* s) { s->getData2(event); }},
                                       {32, [](auto* s) { s->setHostOption(1); }},
                                   });
}

TEST(BinaryLayoutTest, HostContextIsTheThreeCommonOperations) {
    expectUnknownPlaces<HostContext>(unknownPlaces);
}

TEST(BinaryLayoutTest, ModuleInterfacesOperationsSitAtTheirPlaces) {
    const auto module = tableOf(at<4, ResultCode, HostContext*>(), at<5, ResultCode>(),
                                at<6, ResultCode, ModuleInfo*>(), at<7, ResultCode, I32>(),
                                at<8, ResultCode, Event>(), at<9, ResultCode, I32, I32, I32>(),
                                at<10, ResultCode, I32>(), at<11, ResultCode, I32, I32>(),
                                at<12, ResultCode, I32>(), at<13, ResultCode, I32>());
    expectUnknownPlaces<ModuleInterface>(module.data());
    expectPlaces<ModuleInterface>(module.data(),
                                  {
                                      {4, [](auto* m) { m->initialize(nullptr); }},
                                      {5, [](auto* m) { m->terminate(); }},
                                      {6, [](auto* m) { m->getModuleInfo(nullptr); }},
                                      {7, [](auto* m) { m->setHostValue(1); }},
                                      {8, [](auto* m) { m->processEvent(nullptr); }},
                                      {9, [](auto* m) { m->processTime(1, 2, 3); }},
                                      {10, [](auto* m) { m->reservedCallA(1); }},
                                      {11, [](auto* m) { m->reservedCallB(1, 2); }},
                                      {12, [](auto* m) { m->stop(0); }},
                                      {13, [](auto* m) { m->start(0); }},
                                  });

    ParameterInterface* parameter = nullptr;
    char name[128] = {};
    const auto owner =
        tableOf(at<4, ResultCode, const char*, ParameterInterface**>(),
                at<5, ResultCode, ParameterInterface*, I32>(), at<6, I32>(),
                at<7, ResultCode, I32, char*>(), at<8, ResultCode, I32, ParameterInterface**>());
    expectUnknownPlaces<ParameterOwnerInterface>(owner.data());
    expectPlaces<ParameterOwnerInterface>(
        owner.data(), {
                          {4, [&](auto* o) { o->findParameter("portamentoSpeed", &parameter); }},
                          {5, [](auto* o) { o->parameterChanged(nullptr, 0); }},
                          {6, [](auto* o) { o->getParameterCount(); }},
                          {7, [&](auto* o) { o->getParameterName(0, name); }},
                          {8, [&](auto* o) { o->getParameterByTag(0, &parameter); }},
                      });

    void* out = nullptr;
    const auto identity = tableOf(at<4, ResultCode, void*>(), at<5, ResultCode, I32, I32>(),
                                  at<6, ResultCode, I32, void**>());
    expectUnknownPlaces<ClassIdentityInterface>(identity.data());
    expectPlaces<ClassIdentityInterface>(identity.data(),
                                         {
                                             {4, [&](auto* c) { c->getClassId(name); }},
                                             {5, [](auto* c) { c->identityPut(1, 2); }},
                                             {6, [&](auto* c) { c->identityGet(1, &out); }},
                                         });

    UnknownInterface* view = nullptr;
    std::uint32_t size = 0;
    const auto skin = tableOf(at<4, ResultCode, const char*, UnknownInterface**>(),
                              at<5, ResultCode, const char*, char*, void*, std::uint32_t*>(),
                              at<6, ResultCode, const char*, void*, std::uint32_t*>());
    expectUnknownPlaces<SkinInterface>(skin.data());
    expectPlaces<SkinInterface>(
        skin.data(),
        {
            {4, [&](auto* k) { k->getView("editor", &view); }},
            {5, [&](auto* k) { k->getSkinDescription("editor", name, nullptr, &size); }},
            {6, [&](auto* k) { k->getSkinResource("1001", nullptr, &size); }},
        });

    const auto auxiliary = tableOf(at<4, ResultCode, I32, I32, void**>(), at<5, ResultCode, I32>());
    expectUnknownPlaces<AuxiliaryInterface>(auxiliary.data());
    expectPlaces<AuxiliaryInterface>(auxiliary.data(),
                                     {
                                         {4, [&](auto* a) { a->auxGet(1, 2, &out); }},
                                         {5, [](auto* a) { a->auxPut(1); }},
                                     });
}

TEST(BinaryLayoutTest, ParameterInterfacesOperationsSitAtTheirPlaces) {
    char text[12] = {};
    const auto parameter =
        tableOf(at<4, void, char*>(), at<5, void, const char*>(), at<6, I32>(), at<7, void, I32>(),
                at<8, I32>(), at<9, I32>(), at<10, void, ParameterOwnerInterface*, I32>());
    expectUnknownPlaces<ParameterInterface>(parameter.data());
    expectPlaces<ParameterInterface>(parameter.data(),
                                     {
                                         {4, [&](auto* p) { p->toText(text); }},
                                         {5, [](auto* p) { p->fromText("12"); }},
                                         {6, [](auto* p) { p->getValue(); }},
                                         {7, [](auto* p) { p->setValue(12); }},
                                         {8, [](auto* p) { p->getMin(); }},
                                         {9, [](auto* p) { p->getMax(); }},
                                         {10, [](auto* p) { p->attach(nullptr, 0); }},
                                     });

    const auto notifier =
        tableOf(at<4, ResultCode, UnknownInterface*>(), at<5, ResultCode, UnknownInterface*>(),
                at<6, ResultCode, I32, I32>());
    expectUnknownPlaces<ParameterNotifierInterface>(notifier.data());
    expectPlaces<ParameterNotifierInterface>(notifier.data(),
                                             {
                                                 {4, [](auto* n) { n->addListener(nullptr); }},
                                                 {5, [](auto* n) { n->removeListener(nullptr); }},
                                                 {6, [](auto* n) { n->setOption(1, 1); }},
                                             });

    const auto listener =
        tableOf(at<4, ResultCode>(), at<5, ResultCode, ParameterInterface*, I32>());
    expectUnknownPlaces<ParameterListenerInterface>(listener.data());
    expectPlaces<ParameterListenerInterface>(
        listener.data(), {
                             {4, [](auto* l) { l->unusedSlot4(); }},
                             {5, [](auto* l) { l->parameterChanged(nullptr, 0); }},
                         });
}

TEST(BinaryLayoutTest, FactoryOperationsSitAtTheirPlaces) {
    FactoryInfo info{};
    ClassInfo classInfo{};
    void* out = nullptr;
    const auto factory = tableOf(
        at<4, ResultCode, FactoryInfo*>(), at<5, I32>(), at<6, ResultCode, I32, ClassInfo*>(),
        at<7, ResultCode, const InterfaceIdBytes*, const InterfaceIdBytes*, void**>());
    expectUnknownPlaces<FactoryInterface>(factory.data());
    expectPlaces<FactoryInterface>(
        factory.data(), {
                            {4, [&](auto* f) { f->getFactoryInfo(&info); }},
                            {5, [](auto* f) { f->countClasses(); }},
                            {6, [&](auto* f) { f->getClassInfo(0, &classInfo); }},
                            {7, [&](auto* f) { f->createInstance(nullptr, nullptr, &out); }},
                        });
}

TEST(BinaryLayoutTest, TheTestHostAnswersByPlace) {
    testing::RecordingHostMidiServices services;
    HostEvent* event = services.makeEvent(midi::statusNoteOn, 60, 100, 480, 240, 1);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 18, event), 144);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 20, event), 60);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 22, event), 100);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 11, event), 480);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 13, event), 240);
    EXPECT_EQ(testing::callSlot<std::int32_t>(&services, 15, event), 1);
    HostEvent* created = testing::callSlot<HostEvent*>(&services, 4, midi::statusController,
                                                       midi::controllerPortamento, 0, -1);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(services.event(created).data1, midi::controllerPortamento);
    testing::callSlot<ResultCode>(&services, 7, created);
    EXPECT_EQ(services.eventsCreated, 1);
    EXPECT_EQ(services.eventsReleased, 1);
}

} // namespace
} // namespace quorlin
