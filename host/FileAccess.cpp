#include "host/FileAccess.h"

#include "host/HostError.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

namespace quorlin::host {

namespace {

namespace fs = std::filesystem;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

std::string reason() {
    return std::strerror(errno);
}

// Unique enough among concurrent runs writing beside the same target.
std::string temporaryName(const fs::path& target) {
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return "." + target.filename().string() + "." + std::to_string(stamp) + ".partial";
}

} // namespace

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        throw HostError("cannot read '" + path + "': it is a directory");
    }
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        throw HostError("cannot read '" + path + "': " + reason());
    }
    std::vector<std::uint8_t> bytes;
    std::uint8_t block[1 << 16];
    std::size_t count = 0;
    while ((count = std::fread(block, 1, sizeof block, file.get())) > 0) {
        bytes.insert(bytes.end(), block, block + count);
    }
    if (std::ferror(file.get())) {
        throw HostError("cannot read '" + path + "': " + reason());
    }
    return bytes;
}

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    fs::path target(path);
    std::error_code error;
    if (fs::is_directory(target, error)) {
        throw HostError("cannot write '" + path + "': it is a directory");
    }
    fs::path temporary = target.parent_path() / temporaryName(target);
    FileHandle file(std::fopen(temporary.string().c_str(), "wb"));
    if (!file) {
        throw HostError("cannot write '" + path + "': " + reason());
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    std::string failure = written ? "" : reason();
    written = std::fclose(file.release()) == 0 && written;
    if (failure.empty() && !written) {
        failure = reason();
    }
    if (!written) {
        fs::remove(temporary, error);
        throw HostError("cannot write '" + path + "': " + failure);
    }
    fs::rename(temporary, target, error);
    if (error) {
        std::string message = error.message();
        fs::remove(temporary, error);
        throw HostError("cannot write '" + path + "': " + message);
    }
}

void writeFileAtomically(const std::string& path, const std::string& text) {
    writeFileAtomically(path, std::span<const std::uint8_t>(
                                  reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace quorlin::host
