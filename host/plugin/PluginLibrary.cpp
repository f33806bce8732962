#include "host/plugin/PluginLibrary.h"

#include "host/plugin/HostError.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quorlin::host {

namespace {

// A factory that reports an absurd number of classes is not walked to the end.
constexpr std::int32_t maxClassesListed = 1000;

// A bare file name makes the loader search its system paths; a plug-in is meant by file.
#if defined(_WIN32)
constexpr const char* currentDirectoryPrefix = ".\\";
#else
constexpr const char* currentDirectoryPrefix = "./";
#endif

#if !defined(_WIN32)
// A Windows library starts with "MZ"; this program, built for another system, cannot load one.
bool isWindowsLibrary(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    char start[2] = {};
    bool windows = std::fread(start, 1, 2, file) == 2 && start[0] == 'M' && start[1] == 'Z';
    std::fclose(file);
    return windows;
}
#endif

std::string loadablePath(const std::string& path) {
    if (path.find_first_of("/\\") == std::string::npos) {
        return currentDirectoryPrefix + path;
    }
    return path;
}

} // namespace

void PluginLibrary::LibraryCloser::operator()(void* handle) const {
    FreeLibrary(static_cast<HMODULE>(handle));
}

PluginLibrary::PluginLibrary(const std::string& libraryPath) : path(libraryPath) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        throw HostError("plug-in library '" + path + "' does not exist");
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        throw HostError("plug-in library '" + path + "' is not a file");
    }
    library.reset(LoadLibraryA(loadablePath(path).c_str()));
    if (!library) {
#if !defined(_WIN32)
        if (isWindowsLibrary(path)) {
            throw HostError("'" + path +
                            "' is a Windows library; run quorlin-host.exe under Wine to use it, "
                            "or give this program the native quorlin.so");
        }
#endif
        throw HostError("cannot load plug-in library '" + path + "'");
    }
    void* entry = reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(library.get()), pluginFactoryExportName));
    if (entry == nullptr) {
        throw HostError("'" + path + "' does not export " + pluginFactoryExportName);
    }
    takeFactory(reinterpret_cast<GetPluginFactoryFunction>(entry));
}

PluginLibrary::PluginLibrary(GetPluginFactoryFunction getFactory, const std::string& name)
    : path(name) {
    takeFactory(getFactory);
}

void PluginLibrary::takeFactory(GetPluginFactoryFunction getFactory) {
    factory = InterfacePointer<FactoryInterface>(getFactory());
    if (!factory) {
        throw HostError("'" + path + "' returned no factory");
    }
    for (const ClassInfo& info : classes()) {
        if (fieldText(info.category) == moduleCategory) {
            moduleClassInfo = info;
            return;
        }
    }
    throw HostError("'" + path + "' offers no class of category \"" + moduleCategory + "\"");
}

PluginLibrary::~PluginLibrary() = default;

FactoryInfo PluginLibrary::factoryInfo() const {
    FactoryInfo info{};
    factory->getFactoryInfo(&info);
    return info;
}

std::vector<ClassInfo> PluginLibrary::classes() const {
    std::vector<ClassInfo> result;
    std::int32_t count = factory->countClasses();
    for (std::int32_t index = 0; index < count && index < maxClassesListed; ++index) {
        ClassInfo info{};
        if (factory->getClassInfo(index, &info) == resultOk) {
            result.push_back(info);
        }
    }
    return result;
}

InterfacePointer<ModuleInterface> PluginLibrary::createModule() const {
    InterfaceIdBytes classId;
    std::memcpy(classId.bytes, moduleClassInfo.classId, sizeof classId.bytes);
    void* created = nullptr;
    // Only a success carries a reference; whatever a refusal stored is not ours to release.
    if (factory->createInstance(&classId, ModuleInterfaceId.raw(), &created) != resultOk ||
        created == nullptr) {
        throw HostError("'" + path + "' could not create an instance of class " +
                        classIdText(moduleClassInfo.classId));
    }
    return InterfacePointer<ModuleInterface>(static_cast<ModuleInterface*>(created));
}

std::string PluginLibrary::classIdText(const std::uint8_t (&id)[16]) {
    char text[40];
    std::snprintf(text, sizeof text,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", id[3],
                  id[2], id[1], id[0], id[5], id[4], id[7], id[6], id[8], id[9], id[10], id[11],
                  id[12], id[13], id[14], id[15]);
    return text;
}

} // namespace quorlin::host
