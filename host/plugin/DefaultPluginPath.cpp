#include "host/plugin/DefaultPluginPath.h"

#include <filesystem>

#if defined(_WIN32)
#include <windows.h>
#endif
#include <system_error>

namespace quorlin::host {

namespace {

// Relative to the program's own folder's parent: $PREFIX/bin/quorlin-host finds
// $PREFIX/lib/quorlin/quorlin.so.
constexpr const char* installedLibraryDirectory = "lib/quorlin";

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
    // Beside the program, as built and as copied; else where an install puts it.
    std::filesystem::path beside = program.parent_path() / libraryFileName;
    std::filesystem::path installed =
        program.parent_path().parent_path() / installedLibraryDirectory / libraryFileName;
    std::error_code error;
    if (!std::filesystem::exists(beside, error) && std::filesystem::exists(installed, error)) {
        return installed.string();
    }
    return beside.string();
}

} // namespace quorlin::host
