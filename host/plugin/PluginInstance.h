#pragma once

#include "component/HostContext.h"
#include "component/HostEvent.h"
#include "component/ModuleInterfaces.h"
#include "host/plugin/InterfacePointer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorlin::host {

// What the host shows of one parameter.
struct ParameterState {
    std::string name;
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int32_t value = 0;
    std::string text;
};

// One module instance, initialized with the host's context for as long as this object lives:
// construction initializes it, destruction terminates it and gives back the last reference.
// The context must outlive the instance.
class PluginInstance {
public:
    PluginInstance(InterfacePointer<ModuleInterface> module, HostContext& context);
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;
    ~PluginInstance();

    // The value the module reports in the module-information record.
    std::int32_t moduleInfoValue() const;
    std::vector<ParameterState> parameters() const;
    // Sets a parameter as a host control does, from a number within its range or "Off"; returns
    // the text the parameter shows afterwards. Throws HostError for other text or names.
    std::string setParameterText(const std::string& name, const std::string& text);
    ParameterState parameter(const std::string& name) const;
    // A parameter as any of the module's parameter owners shows it; empty when not found.
    static std::optional<ParameterState> readParameter(ParameterOwnerInterface& owner,
                                                       const std::string& name);
    // Empty when the module does not answer the interface.
    InterfacePointer<SkinInterface> skin() const;

    void start() { module->start(0); }
    void stop() { module->stop(0); }
    void processTime(std::int32_t position) { module->processTime(position, 0, 0); }
    ResultCode processEvent(HostEvent* event) { return module->processEvent(event); }

private:
    static ParameterInterface* find(ParameterOwnerInterface* owner, const std::string& name);

    InterfacePointer<ModuleInterface> module;
    InterfacePointer<ParameterOwnerInterface> owner;
};

} // namespace quorlin::host
