#pragma once

#include "testing/RecordingHostContext.h"
#include "testing/RecordingHostMidiServices.h"
#include "testing/RecordingListener.h"
#include "testing/ReferenceHost.h"
#include "testing/ReferenceSkin.h"

#include "ByteReader.h"
#include "component/FactoryInterface.h"
#include "component/ModuleInterfaces.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorlin::reliability {

// Decodes bytes into host calls on instances made through GetPluginFactory, runs each call on
// the library and on the reference model, and compares every answer, every sent event and
// every listener report. At the end it terminates and releases everything and checks that
// each reference and each created event was given back.
class CallSequence {
public:
    static constexpr std::size_t maxInstances = 6;
    static constexpr int answeringListeners = 4;

    explicit CallSequence(const ReferenceSkin& expectedSkin);
    CallSequence(const CallSequence&) = delete;
    CallSequence& operator=(const CallSequence&) = delete;
    ~CallSequence();

    // Empty when the library matched the model throughout; otherwise the first difference.
    std::string run(const std::uint8_t* data, std::size_t size);

private:
    struct Mismatch : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    // One instance as the host holds it. Its host objects outlive it, so the final counts can
    // be read after its last release.
    struct Instance {
        int model = -1;
        std::unique_ptr<testing::RecordingHostMidiServices> services;
        std::unique_ptr<testing::RecordingHostContext> context;
        // The module's four interfaces the host may hold: module, owner, skin, auxiliary.
        std::array<void*, 4> interfaces{};
        void* primary = nullptr;     // the reference creation handed out; null once destroyed
        std::vector<void*> held;     // further references, each through some interface
        std::int32_t references = 0; // the count the model expects
        HostBehaviour behaviour;
    };

    // A report as a listener received it.
    struct Received {
        int listener;
        ParameterInterface* parameter;
        std::int32_t tag;
        std::int32_t value;
    };

    void step(ByteReader& in);
    void finish();

    void createInstance(ByteReader& in);
    void initialize(ByteReader& in);
    void terminate(ByteReader& in);
    void processEvent(ByteReader& in);
    void processTime(ByteReader& in);
    void startOrStop(ByteReader& in);
    void setValue(ByteReader& in);
    void fromText(ByteReader& in);
    void setOption(ByteReader& in);
    void changeListener(ByteReader& in);
    void setListenerAction(ByteReader& in);
    void tick();
    void getView(ByteReader& in);
    void getSkinDescription(ByteReader& in);
    void getSkinResource(ByteReader& in);
    void queryModule(ByteReader& in);
    void releaseHeld(ByteReader& in);
    void queryParameter(ByteReader& in);
    void releaseParameter(ByteReader& in);
    void destroy(ByteReader& in);
    void changeHostBehaviour(ByteReader& in);
    void askFactory(ByteReader& in);
    void lookUpParameters(ByteReader& in);
    void askModuleInfo(ByteReader& in);
    void passNulls(ByteReader& in);

    Instance* pickInstance(ByteReader& in);
    // A live parameter the host can reach, or -1.
    int pickParameter(ByteReader& in);
    ModuleInterface* moduleOf(const Instance& instance) const;
    ParameterOwnerInterface* ownerOf(const Instance& instance) const;
    SkinInterface* skinOf(const Instance& instance) const;
    ParameterNotifierInterface* notifierOf(ParameterInterface* parameter);
    UnknownInterface* listenerObject(int listener);
    void destroyInstance(Instance& instance);
    void releaseModuleReference(Instance& instance, void* through);
    void compareCall(Instance& instance, std::int32_t result, const ExpectedCall& expected,
                     const char* call);
    [[noreturn]] void reportSends(const std::string& what, const ExpectedCall& expected,
                                  const testing::RecordingHostMidiServices& services);
    [[noreturn]] void reportTick(const std::string& what,
                                 const std::vector<ListenerReport>& expected);
    void checkInvariants();
    void expect(bool holds, const std::string& what);
    int modelParameterOf(ParameterInterface* parameter) const;
    void actOnLibrary(int listener, ParameterInterface* parameter);

    const ReferenceSkin& skin;
    ReferenceHost model{answeringListeners};
    FactoryInterface* factory = nullptr;
    std::vector<Instance> instances;
    std::vector<ParameterInterface*> parameters;   // by model index; valid while alive
    std::vector<int> heldParameters;               // model indexes, one per host reference
    std::vector<UnknownInterface*> parameterHolds; // the interface each of those came through
    // On the heap, so a run abandoned after a mismatch can leave them to the library.
    using ListenerSet = std::array<testing::RecordingListener, answeringListeners + 1>;
    std::unique_ptr<ListenerSet> listenerSet = std::make_unique<ListenerSet>();
    ListenerSet& listeners = *listenerSet; // the last one refuses to listen
    std::array<ListenerAction, answeringListeners> actions{};
    std::vector<Received> received;
    int addsFromListeners = 0; // held to ReferenceHost::addsFromListenersLimit
    std::size_t stepNumber = 0;
};

} // namespace quorlin::reliability
