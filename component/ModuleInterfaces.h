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

// The primary interface of a module instance; its pointer is the instance's identity.
class ModuleInterface : public UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL initialize(HostContext* context) noexcept = 0; // 4
    virtual ResultCode QUORLIN_CALL terminate() noexcept = 0;                      // 5
    virtual ResultCode QUORLIN_CALL getModuleInfo(ModuleInfo* info) noexcept = 0;  // 6
    virtual ResultCode QUORLIN_CALL setHostValue(std::int32_t value) noexcept = 0; // 7
    virtual ResultCode QUORLIN_CALL processEvent(HostEvent* event) noexcept = 0;   // 8
    virtual ResultCode QUORLIN_CALL processTime(std::int32_t position, std::int32_t second,
                                                std::int32_t immediate) noexcept = 0; // 9
    virtual ResultCode QUORLIN_CALL reservedCallA(std::int32_t value) noexcept = 0;   // 10
    virtual ResultCode QUORLIN_CALL reservedCallB(std::int32_t first,
                                                  std::int32_t second) noexcept = 0;
    virtual ResultCode QUORLIN_CALL stop(std::int32_t value) noexcept = 0;  // 12
    virtual ResultCode QUORLIN_CALL start(std::int32_t value) noexcept = 0; // 13
    // Place 14 and last. With GCC it fills two table entries; the host never calls it.
    virtual ~ModuleInterface() = default;
};

// The instance's parameters; also what the module answers for ParameterListenerInterfaceId.
// Pointers handed out here are borrowed: no reference is added.
class ParameterOwnerInterface : public UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL findParameter(const char* name,
                                                  ParameterInterface** out) noexcept = 0;
    virtual ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                                     std::int32_t tag) noexcept = 0; // 5
    virtual std::int32_t QUORLIN_CALL getParameterCount() noexcept = 0;              // 6
    virtual ResultCode QUORLIN_CALL getParameterName(std::int32_t index,
                                                     char* name) noexcept = 0; // 7
    virtual ResultCode QUORLIN_CALL getParameterByTag(std::int32_t tag,
                                                      ParameterInterface** out) noexcept = 0; // 8

protected:
    ~ParameterOwnerInterface() = default;
};

class ClassIdentityInterface : public UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL getClassId(void* classId) noexcept = 0; // 4, 16 bytes
    virtual ResultCode QUORLIN_CALL identityPut(std::int32_t first,
                                                std::int32_t second) noexcept = 0;
    virtual ResultCode QUORLIN_CALL identityGet(std::int32_t value, void** out) noexcept = 0; // 6

protected:
    ~ClassIdentityInterface() = default;
};

class SkinInterface : public UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL getView(const char* name,
                                            UnknownInterface** out) noexcept = 0; // 4
    virtual ResultCode QUORLIN_CALL getSkinDescription(const char* viewName, char* templateName,
                                                       void* data,
                                                       std::uint32_t* size) noexcept = 0; // 5
    virtual ResultCode QUORLIN_CALL getSkinResource(const char* path, void* data,
                                                    std::uint32_t* size) noexcept = 0; // 6

protected:
    ~SkinInterface() = default;
};

class AuxiliaryInterface : public UnknownInterface {
public:
    virtual ResultCode QUORLIN_CALL auxGet(std::int32_t first, std::int32_t second,
                                           void** out) noexcept = 0;         // 4
    virtual ResultCode QUORLIN_CALL auxPut(std::int32_t value) noexcept = 0; // 5

protected:
    ~AuxiliaryInterface() = default;
};

} // namespace quorlin
