#pragma once

#include "CallingConvention.h"
#include "HostContext.h"
#include "HostEvent.h"
#include "ParameterInterface.h"
#include "ResultCode.h"
#include "UnknownInterface.h"

#include <cstddef>
#include <cstdint>

namespace quorlin {

// The record getModuleInfo fills: the host sets `size`, the module writes `value`.
struct ModuleInfo {
    std::uint32_t size;
    std::int32_t value;
};
static_assert(sizeof(ModuleInfo) == 8 && offsetof(ModuleInfo, value) == 4);

// Every operation below is called on the host's main thread (the one whose message loop runs
// the change timer), one call at a time, and never throws. Results are those of ResultCode.h:
// 0 done, 1 declined or not found, "invalid arg" resultInvalidArgument, "unexpected"
// resultUnexpected (not connected), "out of memory" resultOutOfMemory (nothing changed).
// Pointers the host passes in are borrowed for the call; "connected" is from a successful
// initialize to terminate.

// The primary interface of a module instance; its pointer is the instance's identity. The first
// three operations, shared by all five interfaces, act on the one object and its one count.
class ModuleInterface : public UnknownInterface {
public:
    // After creation: holds `context`, its services, a timer use; 0, invalid arg, out of memory.
    virtual ResultCode QUORLIN_CALL initialize(HostContext* context) noexcept = 0;
    // Before the last Release: gives back the timer use and both host references; 0.
    virtual ResultCode QUORLIN_CALL terminate() noexcept = 0;
    // Any time: fills the borrowed `info` when its size says 8 bytes or more; always 0.
    virtual ResultCode QUORLIN_CALL getModuleInfo(ModuleInfo* info) noexcept = 0;
    // Any time: the value is kept and nothing reads it; always 0.
    virtual ResultCode QUORLIN_CALL setHostValue(std::int32_t value) noexcept = 0;
    // While connected: the host's result of sending `event` on; unexpected, out of memory.
    virtual ResultCode QUORLIN_CALL processEvent(HostEvent* event) noexcept = 0;
    // While connected (else nothing happens): sends what is due at `position`; always 0.
    virtual ResultCode QUORLIN_CALL processTime(std::int32_t position, std::int32_t second,
                                                std::int32_t immediate) noexcept = 0;
    // Any time: does nothing; always 0.
    virtual ResultCode QUORLIN_CALL reservedCallA(std::int32_t value) noexcept = 0;
    // Any time: does nothing; always 0.
    virtual ResultCode QUORLIN_CALL reservedCallB(std::int32_t first,
                                                  std::int32_t second) noexcept = 0;
    // Any time, connected or not: playback stopped, held keys forgotten; always 0.
    virtual ResultCode QUORLIN_CALL stop(std::int32_t value) noexcept = 0;
    // Any time, connected or not: playback started, the speed controller due again; 0.
    virtual ResultCode QUORLIN_CALL start(std::int32_t value) noexcept = 0;
    // Last. Called only by Release; with GCC it fills two table entries.
    virtual ~ModuleInterface() = default;
};

// The instance's parameters; also what the module answers for ParameterListenerInterfaceId.
class ParameterOwnerInterface : public UnknownInterface {
public:
    // Any time: `out` gets the named parameter, borrowed (no reference); 0, or 1 and null.
    virtual ResultCode QUORLIN_CALL findParameter(const char* name,
                                                  ParameterInterface** out) noexcept = 0;
    // From a parameter's setValue or the timer's tick: borrowed `parameter` changed; 0 or 1.
    virtual ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                                     std::int32_t tag) noexcept = 0;
    // Any time: the number of parameters, as the result itself.
    virtual std::int32_t QUORLIN_CALL getParameterCount() noexcept = 0;
    // Any time: copies name `index` into the caller's 128-byte buffer; 0, or 1 untouched.
    virtual ResultCode QUORLIN_CALL getParameterName(std::int32_t index, char* name) noexcept = 0;
    // Any time: `out` gets the first parameter with `tag`, borrowed; 0, or 1 and null.
    virtual ResultCode QUORLIN_CALL getParameterByTag(std::int32_t tag,
                                                      ParameterInterface** out) noexcept = 0;

protected:
    ~ParameterOwnerInterface() = default;
};

// The class identifier of the instance; answered only when the product exposes it.
class ClassIdentityInterface : public UnknownInterface {
public:
    // Any time: copies the 16 identifier bytes into the caller's buffer (not null); 0.
    virtual ResultCode QUORLIN_CALL getClassId(void* classId) noexcept = 0;
    // Any time: declined; always 1.
    virtual ResultCode QUORLIN_CALL identityPut(std::int32_t first,
                                                std::int32_t second) noexcept = 0;
    // Any time: declined, null stored through `out` when given; always 1.
    virtual ResultCode QUORLIN_CALL identityGet(std::int32_t value, void** out) noexcept = 0;

protected:
    ~ClassIdentityInterface() = default;
};

// The views the host draws and the skin resources they are drawn from.
class SkinInterface : public UnknownInterface {
public:
    // Any time: `out` gets the owner interface AddRef'd for the caller, 0; else null, 1.
    virtual ResultCode QUORLIN_CALL getView(const char* name, UnknownInterface** out) noexcept = 0;
    // Any time: copies name and skin into the caller's buffers (may be null); 0, 1 unknown.
    virtual ResultCode QUORLIN_CALL getSkinDescription(const char* viewName, char* templateName,
                                                       void* data,
                                                       std::uint32_t* size) noexcept = 0;
    // Any time: copies resource number `path` into the caller's buffer (may be null); 0, 1.
    virtual ResultCode QUORLIN_CALL getSkinResource(const char* path, void* data,
                                                    std::uint32_t* size) noexcept = 0;

protected:
    ~SkinInterface() = default;
};

// Two operations the module always declines.
class AuxiliaryInterface : public UnknownInterface {
public:
    // Any time: declined, null stored through `out` when given; always 1.
    virtual ResultCode QUORLIN_CALL auxGet(std::int32_t first, std::int32_t second,
                                           void** out) noexcept = 0;
    // Any time: declined; always 1.
    virtual ResultCode QUORLIN_CALL auxPut(std::int32_t value) noexcept = 0;

protected:
    ~AuxiliaryInterface() = default;
};

} // namespace quorlin
