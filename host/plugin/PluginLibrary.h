#pragma once

#include "component/FactoryInterface.h"
#include "component/ModuleInterfaces.h"
#include "host/plugin/InterfacePointer.h"

#include <memory>
#include <string>
#include <vector>

namespace quorlin::host {

// A plug-in library loaded by file, known only through its factory export. Loading fails with
// a HostError when the file cannot be loaded, lacks the export, or offers no MIDI module class.
class PluginLibrary {
public:
    static constexpr const char* moduleCategory = "Midi Module Class";

    explicit PluginLibrary(const std::string& path);
    // The plug-in linked into this program, reached through its export function as if loaded.
    PluginLibrary(GetPluginFactoryFunction getFactory, const std::string& name);
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;
    ~PluginLibrary();

    FactoryInfo factoryInfo() const;
    std::vector<ClassInfo> classes() const;
    // The first class of the MIDI module category, the one createModule instantiates.
    const ClassInfo& moduleClass() const { return moduleClassInfo; }
    InterfacePointer<ModuleInterface> createModule() const;

    // The usual text form of a class identifier stored in the standard GUID layout.
    static std::string classIdText(const std::uint8_t (&classId)[16]);
    // A zero-filled text field of a record, up to its first zero or its full width.
    template <std::size_t width> static std::string fieldText(const char (&field)[width]) {
        std::size_t length = 0;
        while (length < width && field[length] != '\0') {
            ++length;
        }
        return std::string(field, length);
    }

private:
    struct LibraryCloser {
        void operator()(void* library) const;
    };

    void takeFactory(GetPluginFactoryFunction getFactory);

    std::string path;
    // Declared before the factory so the factory is released before the library goes.
    std::unique_ptr<void, LibraryCloser> library;
    InterfacePointer<FactoryInterface> factory;
    ClassInfo moduleClassInfo{};
};

} // namespace quorlin::host
