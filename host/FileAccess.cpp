#include "host/FileAccess.h"

#include "host/HostError.h"

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

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

// Writes the file completely or not at all; the reason of a failure, empty on success.
std::string writeWhole(const fs::path& path, std::span<const std::uint8_t> bytes) {
    FileHandle file(std::fopen(path.string().c_str(), "wb"));
    if (!file) {
        return reason();
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    std::string failure = written ? "" : reason();
    written = std::fclose(file.release()) == 0 && written;
    if (failure.empty() && !written) {
        failure = reason();
    }
    if (!written) {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
    return failure;
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
    OutputFile file{path, bytes};
    writeFilesAtomically(std::span<const OutputFile>(&file, 1));
}

void writeFileAtomically(const std::string& path, const std::string& text) {
    writeFileAtomically(path, bytesOf(text));
}

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

void writeFilesAtomically(std::span<const OutputFile> files) {
    std::error_code error;
    for (const OutputFile& file : files) {
        if (fs::is_directory(file.path, error)) {
            throw HostError("cannot write '" + file.path + "': it is a directory");
        }
    }
    std::vector<fs::path> temporaries;
    auto discardTemporaries = [&temporaries] {
        std::error_code ignored;
        for (const fs::path& temporary : temporaries) {
            fs::remove(temporary, ignored);
        }
    };
    for (const OutputFile& file : files) {
        fs::path target(file.path);
        fs::path temporary = target.parent_path() / temporaryName(target);
        std::string failure = writeWhole(temporary, file.bytes);
        if (!failure.empty()) {
            discardTemporaries();
            throw HostError("cannot write '" + file.path + "': " + failure);
        }
        temporaries.push_back(temporary);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        fs::rename(temporaries[i], files[i].path, error);
        if (error) {
            std::string message = error.message();
            temporaries.erase(temporaries.begin(),
                              temporaries.begin() + static_cast<std::ptrdiff_t>(i));
            discardTemporaries();
            throw HostError("cannot write '" + files[i].path + "': " + message);
        }
    }
}

} // namespace quorlin::host
