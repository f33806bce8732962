#pragma once

#include "component/HostMidiServices.h"
#include "component/ModuleInterfaces.h"

#include <string>
#include <vector>

namespace quorlin::host::testing {

// What a scripted module leaves behind, outliving the module itself.
struct ModuleRecord {
    std::vector<std::string> calls;
    int created = 0;
    int destroyed = 0;
};

// A module that follows a fixed script through the host's services, so the host's side of the
// contract can be checked without the real plug-in: before each note-on it sends controller 65
// with the value 1 at the note's position; at its first position call it sends controller 5
// with 40, and, when asked to, controller 7 with 99 at a later position; all other events
// pass on. Every call is written to the record.
class ScriptedModule final : public ModuleInterface {
public:
    ScriptedModule(ModuleRecord& shared, std::int32_t later = -1)
        : record(shared), laterPosition(later) {
        ++record.created;
    }

    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes* iid,
                                           void** out) noexcept override;
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return ++references; }
    std::uint32_t QUORLIN_CALL Release() noexcept override;

    ResultCode QUORLIN_CALL initialize(HostContext* context) noexcept override;
    ResultCode QUORLIN_CALL terminate() noexcept override;
    ResultCode QUORLIN_CALL getModuleInfo(ModuleInfo*) noexcept override { return resultOk; }
    ResultCode QUORLIN_CALL setHostValue(std::int32_t) noexcept override { return resultOk; }
    ResultCode QUORLIN_CALL processEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL processTime(std::int32_t position, std::int32_t,
                                        std::int32_t) noexcept override;
    ResultCode QUORLIN_CALL reservedCallA(std::int32_t) noexcept override { return resultOk; }
    ResultCode QUORLIN_CALL reservedCallB(std::int32_t, std::int32_t) noexcept override {
        return resultOk;
    }
    ResultCode QUORLIN_CALL stop(std::int32_t) noexcept override;
    ResultCode QUORLIN_CALL start(std::int32_t) noexcept override;
    ~ScriptedModule() override { ++record.destroyed; }

private:
    void send(std::int32_t controller, std::int32_t value, std::int32_t position);

    ModuleRecord& record;
    std::int32_t laterPosition;
    std::uint32_t references = 1;
    HostContext* context = nullptr;
    HostMidiServices* services = nullptr;
    bool timeSeen = false;
};

} // namespace quorlin::host::testing
