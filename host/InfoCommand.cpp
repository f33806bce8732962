#include "host/Commands.h"

#include "component/HostServicesContext.h"
#include "host/HostVersion.h"
#include "host/plugin/DefaultPluginPath.h"
#include "host/plugin/EventServices.h"
#include "host/plugin/PluginInstance.h"
#include "host/plugin/PluginLibrary.h"

#include <cstdio>

namespace quorlin::host {

std::string pluginPathOf(const CommandLine& line) {
    return line.pluginPath.empty() ? defaultPluginPath() : line.pluginPath;
}

std::optional<PianoRoll::BarRange> barsOf(const CommandLine& line) {
    if (!line.bars) {
        return std::nullopt;
    }
    return PianoRoll::BarRange{line.bars->first, line.bars->second};
}

void runVersionCommand(const CommandLine& line, std::ostream& out) {
    out << "quorlin-host " << hostVersion << '\n';
    std::string path = pluginPathOf(line);
    PluginLibrary library(path);
    out << "plug-in " << path << ": " << PluginLibrary::fieldText(library.factoryInfo().vendor)
        << ", class \"" << PluginLibrary::fieldText(library.moduleClass().name) << "\"\n";
}

void runInfoCommand(const CommandLine& line, std::ostream& out) {
    std::string path = pluginPathOf(line);
    PluginLibrary library(path);
    FactoryInfo factory = library.factoryInfo();
    out << "Plug-in library  " << path << '\n'
        << "Vendor           " << PluginLibrary::fieldText(factory.vendor) << '\n'
        << "Web address      " << PluginLibrary::fieldText(factory.webAddress) << '\n'
        << "Contact          " << PluginLibrary::fieldText(factory.contactAddress) << '\n'
        << "Factory flags    " << factory.factoryFlags << '\n';

    std::vector<ClassInfo> classes = library.classes();
    out << "\nClasses (" << classes.size() << ")\n";
    for (std::size_t i = 0; i < classes.size(); ++i) {
        const ClassInfo& info = classes[i];
        out << "  [" << i << "] category \"" << PluginLibrary::fieldText(info.category)
            << "\"  name \"" << PluginLibrary::fieldText(info.name) << "\"\n"
            << "      class " << PluginLibrary::classIdText(info.classId) << "  cardinality "
            << info.cardinality << '\n';
    }

    EventServices services;
    HostServicesContext context(services);
    PluginInstance instance(library.createModule(), context);
    out << "\nInstance of \"" << PluginLibrary::fieldText(library.moduleClass().name) << "\"\n"
        << "  module information  " << instance.moduleInfoValue() << '\n';
    std::vector<ParameterState> parameters = instance.parameters();
    out << "  parameters (" << parameters.size() << ")\n";
    for (const ParameterState& parameter : parameters) {
        char row[256];
        std::snprintf(row, sizeof row, "    %-20s range %d .. %d  value %d  text \"%s\"\n",
                      parameter.name.c_str(), parameter.min, parameter.max, parameter.value,
                      parameter.text.c_str());
        out << row;
    }
}

} // namespace quorlin::host
