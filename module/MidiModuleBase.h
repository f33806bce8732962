#pragma once

#include "component/HostContext.h"
#include "component/HostMidiServices.h"
#include "component/InterfaceId.h"
#include "component/ModuleInterfaces.h"
#include "component/ReferenceCount.h"
#include "module/ModuleConfig.h"
#include "parameters/ParameterList.h"

#include <cstdint>

namespace quorlin {

// One instance of a MIDI module in the host. It implements the five interfaces the host drives
// an instance through, connects to the host at initialize and answers every operation with a
// default, so a product class replaces only what it needs.
class MidiModuleBase : public ModuleInterface,
                       public ParameterOwnerInterface,
                       public ClassIdentityInterface,
                       public SkinInterface,
                       public AuxiliaryInterface {
public:
    // `classIdBytes` points at 16 raw bytes (a class record starts with them); null gives zeros.
    MidiModuleBase(const void* classIdBytes, const ModuleConfig& configuration);
    MidiModuleBase(const MidiModuleBase&) = delete;
    MidiModuleBase& operator=(const MidiModuleBase&) = delete;
    ~MidiModuleBase() override;

    // Shared by all five interfaces.
    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override;
    std::uint32_t QUORLIN_CALL Release() noexcept override;

    // ModuleInterface
    ResultCode QUORLIN_CALL initialize(HostContext* context) noexcept override;
    ResultCode QUORLIN_CALL terminate() noexcept override;
    ResultCode QUORLIN_CALL getModuleInfo(ModuleInfo* info) noexcept override;
    ResultCode QUORLIN_CALL setHostValue(std::int32_t value) noexcept override;
    ResultCode QUORLIN_CALL processEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL processTime(std::int32_t position, std::int32_t second,
                                        std::int32_t immediate) noexcept override;
    ResultCode QUORLIN_CALL reservedCallA(std::int32_t value) noexcept override;
    ResultCode QUORLIN_CALL reservedCallB(std::int32_t first,
                                          std::int32_t second) noexcept override;
    ResultCode QUORLIN_CALL stop(std::int32_t value) noexcept override;
    ResultCode QUORLIN_CALL start(std::int32_t value) noexcept override;

    // ParameterOwnerInterface
    ResultCode QUORLIN_CALL findParameter(const char* name,
                                          ParameterInterface** out) noexcept override;
    ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                             std::int32_t tag) noexcept override;
    std::int32_t QUORLIN_CALL getParameterCount() noexcept override;
    ResultCode QUORLIN_CALL getParameterName(std::int32_t index, char* name) noexcept override;
    ResultCode QUORLIN_CALL getParameterByTag(std::int32_t tag,
                                              ParameterInterface** out) noexcept override;

    // ClassIdentityInterface
    ResultCode QUORLIN_CALL getClassId(void* classIdOut) noexcept override;
    ResultCode QUORLIN_CALL identityPut(std::int32_t first, std::int32_t second) noexcept override;
    ResultCode QUORLIN_CALL identityGet(std::int32_t value, void** out) noexcept override;

    // SkinInterface
    ResultCode QUORLIN_CALL getView(const char* name, UnknownInterface** out) noexcept override;
    ResultCode QUORLIN_CALL getSkinDescription(const char* viewName, char* templateName, void* data,
                                               std::uint32_t* size) noexcept override;
    ResultCode QUORLIN_CALL getSkinResource(const char* path, void* data,
                                            std::uint32_t* size) noexcept override;

    // AuxiliaryInterface
    ResultCode QUORLIN_CALL auxGet(std::int32_t first, std::int32_t second,
                                   void** out) noexcept override;
    ResultCode QUORLIN_CALL auxPut(std::int32_t value) noexcept override;

    std::int32_t referenceCount() const { return refCount.value(); }
    bool isRunning() const { return running; }

protected:
    HostMidiServices* services() const { return midiServices; }
    ParameterList& parameterList() { return parameters; }

private:
    void releaseHostConnection();

    ReferenceCount refCount;
    const ModuleConfig config;
    InterfaceId classId;
    std::int32_t hostValue = 0; // what the host last gave setHostValue; nothing reads it
    bool running = false;       // switched by start and stop; nothing reads it

    HostContext* hostContext = nullptr;
    HostMidiServices* midiServices = nullptr;
    // Whether this instance holds a use of the change timer, so a terminate gives back only
    // what its own initialize took.
    bool holdsTimerUse = false;
    ParameterList parameters;
};

} // namespace quorlin
