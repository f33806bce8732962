// A plug-in library whose factory offers a class, but none of the MIDI module category.

#include "component/FactoryInterface.h"

#include <cstring>

namespace {

using namespace quorlin;

class AudioOnlyFactory final : public FactoryInterface {
public:
    ResultCode QUORLIN_CALL QueryInterface(const InterfaceIdBytes*, void** out) noexcept override {
        *out = nullptr;
        return resultNoInterface;
    }
    // A static object: counting is all there is to do.
    std::uint32_t QUORLIN_CALL AddRef() noexcept override { return ++references; }
    std::uint32_t QUORLIN_CALL Release() noexcept override { return --references; }
    ResultCode QUORLIN_CALL getFactoryInfo(FactoryInfo* info) noexcept override {
        *info = FactoryInfo{};
        std::strcpy(info->vendor, "Elsewhere");
        return resultOk;
    }
    std::int32_t QUORLIN_CALL countClasses() noexcept override { return 1; }
    ResultCode QUORLIN_CALL getClassInfo(std::int32_t index, ClassInfo* info) noexcept override {
        if (index != 0) {
            return resultInvalidArgument;
        }
        *info = ClassInfo{};
        std::strcpy(info->category, "Audio Module Class");
        std::strcpy(info->name, "Silence");
        return resultOk;
    }
    ResultCode QUORLIN_CALL createInstance(const InterfaceIdBytes*, const InterfaceIdBytes*,
                                           void** out) noexcept override {
        *out = nullptr;
        return resultNoInterface;
    }

private:
    std::uint32_t references = 0;
};

AudioOnlyFactory factory;

} // namespace

extern "C" FactoryInterface* QUORLIN_CALL GetPluginFactory() noexcept {
    factory.AddRef();
    return &factory;
}
