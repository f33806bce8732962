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
// initialize to terminate. A null out pointer, out buffer or identifier is an invalid argument
// where a line below says nothing else: no reference is taken, null goes through a given out.

// The primary interface of a module instance; its pointer is the instance's identity. The first
// three operations, shared by all five interfaces, act on the one object and its one count.
class ModuleInterface : public UnknownInterface {
public:
    // After creation: holds `context`, its services, a timer use; 0, out of memory, or invalid
    // arg for a null `context` or one that does not answer HostMidiServicesId.
    virtual ResultCode QUORLIN_CALL initialize(HostContext* context) noexcept = 0;
    // Before the last Release: gives back the timer use and both host references; 0.
    virtual ResultCode QUORLIN_CALL terminate() noexcept = 0;
    // Any time: fills `info` when its size says 8 bytes or more (a null `info` is skipped); 0.
    virtual ResultCode QUORLIN_CALL getModuleInfo(ModuleInfo* info) noexcept = 0;
    // Any time: the value is kept and nothing reads it; always 0.
    virtual ResultCode QUORLIN_CALL setHostValue(std::int32_t value) noexcept = 0;
    // While connected: the host's result of sending `event` on, which goes back to the host's
    // services as given; unexpected when not connected, out of memory.
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
    // Any time: `out` gets the parameter of exactly `name`, borrowed (no reference); 0, or 1
    // and null (a null `name` names none).
    virtual ResultCode QUORLIN_CALL findParameter(const char* name,
                                                  ParameterInterface** out) noexcept = 0;
    // From a parameter's setValue or the timer's tick: borrowed `parameter` (not null) changed;
    // 0 handled, 1 not.
    virtual ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                                     std::int32_t tag) noexcept = 0;
    // Any time: the number of parameters, as the result itself.
    virtual std::int32_t QUORLIN_CALL getParameterCount() noexcept = 0;
    // Any time: name `index` (0 to getParameterCount() - 1), cut to 127 characters and
    // zero-filled, into the caller's 128-byte `name`; 0, or 1 with `name` untouched.
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
    // Any time: copies the 16 identifier bytes into the caller's 16-byte buffer, which must not
    // be null (it is not tested); 0.
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
    // Any time: for "editor" or "inspector" `out` gets the owner interface AddRef'd for the
    // caller, 0; for another name (a null one too) null, 1.
    virtual ResultCode QUORLIN_CALL getView(const char* name, UnknownInterface** out) noexcept = 0;
    // Any time, for "editor" or "inspector": the view's name into `templateName` (10 bytes
    // suffice), the skin document into `data` (no zero added), its byte count into `size`; each
    // may be null, and a first call without `data` tells the size. 0; 1 for another name (a
    // null one too) or no skin, nothing written.
    virtual ResultCode QUORLIN_CALL getSkinDescription(const char* viewName, char* templateName,
                                                       void* data,
                                                       std::uint32_t* size) noexcept = 0;
    // Any time: resource number `path` (decimal text) into `data`, its byte count into `size`;
    // both may be null, and a first call without `data` tells the size. 0; 1 when there is no
    // such resource (for a null `path` too), nothing written.
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
