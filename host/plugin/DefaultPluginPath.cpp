#include "host/plugin/DefaultPluginPath.h"

#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#else
#include <system_error>
#endif

namespace quorlin::host {

namespace {

#if defined(_WIN32)
constexpr const char* libraryFileName = "quorlin.dll";

std::filesystem::path executablePath() {
    char buffer[4096] = {};
    DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) {
        return {};
    }
    return std::filesystem::path(std::string(buffer, length));
}
#else
constexpr const char* libraryFileName = "quorlin.so";

std::filesystem::path executablePath() {
    std::error_code error;
    std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path{} : path;
}
#endif

} // namespace

std::string defaultPluginPath() {
    std::filesystem::path program = executablePath();
    if (program.empty()) {
        return libraryFileName;
    }
    return (program.parent_path() / libraryFileName).string();
}

} // namespace quorlin::host
