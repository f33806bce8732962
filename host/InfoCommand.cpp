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
    std::string name = PluginLibrary::fieldText(library.moduleClass().name);
    EventServices services;
    HostServicesContext context(services);
    PluginInstance instance(library.createModule(), context);
    std::vector<ParameterState> parameters = instance.parameters();

    // What a musician asks first: what it is and what can be set.
    out << name << " by " << PluginLibrary::fieldText(factory.vendor)
        << ", a MIDI plug-in: it goes between a MIDI track and its instrument\n"
        << "  " << PluginLibrary::fieldText(factory.webAddress) << '\n'
        << "\nParameters (" << parameters.size() << "), set with process --speed:\n";
    for (const ParameterState& parameter : parameters) {
        char row[256];
        std::snprintf(row, sizeof row, "  %-20s now %s, from %d to %d%s\n", parameter.name.c_str(),
                      parameter.text.c_str(), parameter.min, parameter.max,
                      parameter.min < 0 ? " (-1 is Off)" : "");
        out << row;
    }

    out << "\nTechnical details\n"
        << "Plug-in library  " << path << '\n'
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

    out << "\nInstance of \"" << name << "\"\n"
        << "  module information  " << instance.moduleInfoValue() << '\n';
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
