#include "host/plugin/PluginInstance.h"

#include "host/plugin/HostError.h"

#include <charconv>

namespace quorlin::host {

namespace {

// Parameter texts are short; the plug-in is promised room for at least 12 bytes.
constexpr std::size_t textBufferSize = 64;
constexpr std::size_t nameBufferSize = 128;

std::string textOf(ParameterInterface& parameter) {
    char text[textBufferSize + 1] = {};
    parameter.toText(text);
    text[textBufferSize] = '\0';
    return text;
}

bool readInteger(const std::string& text, std::int32_t& value) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc{} && stop == end && !text.empty();
}

bool isOff(const std::string& text) {
    return text == "Off" || text == "off" || text == "OFF";
}

} // namespace

PluginInstance::PluginInstance(InterfacePointer<ModuleInterface> created, HostContext& context)
    : module(std::move(created)) {
    ResultCode result = module->initialize(&context);
    if (result != resultOk) {
        throw HostError("the plug-in refused to initialize (result " + std::to_string(result) +
                        ")");
    }
    owner = module.query<ParameterOwnerInterface>(ParameterOwnerInterfaceId);
}

PluginInstance::~PluginInstance() {
    owner.reset();
    module->terminate();
}

std::int32_t PluginInstance::moduleInfoValue() const {
    ModuleInfo info{sizeof(ModuleInfo), 0};
    module->getModuleInfo(&info);
    return info.value;
}

ParameterInterface* PluginInstance::find(ParameterOwnerInterface* owner, const std::string& name) {
    ParameterInterface* parameter = nullptr;
    if (owner == nullptr || owner->findParameter(name.c_str(), &parameter) != resultOk) {
        return nullptr;
    }
    return parameter; // borrowed: the module keeps it alive
}

std::optional<ParameterState> PluginInstance::readParameter(ParameterOwnerInterface& owner,
                                                            const std::string& name) {
    ParameterInterface* found = find(&owner, name);
    if (found == nullptr) {
        return std::nullopt;
    }
    return ParameterState{name, found->getMin(), found->getMax(), found->getValue(),
                          textOf(*found)};
}

ParameterState PluginInstance::parameter(const std::string& name) const {
    std::optional<ParameterState> state;
    if (owner) {
        state = readParameter(*owner.get(), name);
    }
    if (!state) {
        throw HostError("the plug-in has no parameter '" + name + "'");
    }
    return *state;
}

std::vector<ParameterState> PluginInstance::parameters() const {
    std::vector<ParameterState> result;
    if (!owner) {
        return result;
    }
    std::int32_t count = owner->getParameterCount();
    for (std::int32_t index = 0; index < count; ++index) {
        char name[nameBufferSize + 1] = {};
        if (owner->getParameterName(index, name) != resultOk) {
            continue;
        }
        name[nameBufferSize] = '\0';
        if (std::optional<ParameterState> state = readParameter(*owner.get(), name)) {
            result.push_back(*state);
        }
    }
    return result;
}

std::string PluginInstance::setParameterText(const std::string& name, const std::string& text) {
    ParameterInterface* found = find(owner.get(), name);
    if (found == nullptr) {
        throw HostError("the plug-in has no parameter '" + name + "'");
    }
    std::int32_t min = found->getMin();
    std::int32_t max = found->getMax();
    std::int32_t value = 0;
    if (readInteger(text, value)) {
        if (value < min || value > max) {
            throw HostError("value " + text + " for " + name + " is outside its range " +
                            std::to_string(min) + " .. " + std::to_string(max));
        }
        found->fromText(text.c_str());
    } else if (isOff(text)) {
        found->fromText("Off");
    } else {
        throw HostError("value '" + text + "' for " + name + " is neither a number nor Off");
    }
    return textOf(*found);
}

InterfacePointer<SkinInterface> PluginInstance::skin() const {
    return module.query<SkinInterface>(SkinInterfaceId);
}

} // namespace quorlin::host
