#include "host/FileAccess.h"

#include "host/TemporaryFiles.h"
#include "host/plugin/HostError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

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

// Unique enough among concurrent runs writing beside the same target. Never longer than a long
// target's own name, so it fits in any folder and file system the target fits in: the target's
// name is shortened (at a character's start) to make room for the ending.
std::string temporaryName(const fs::path& target, std::string_view more = {}) {
    constexpr std::size_t shortName = 64;
    auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::string ending = "." + std::to_string(stamp) + ".partial" + std::string(more);
    std::string name = target.filename().string();
    std::size_t room = std::max(name.size(), shortName) - ending.size() - 1;
    if (name.size() > room) {
        while (room > 0 && (static_cast<unsigned char>(name[room]) & 0xC0U) == 0x80U) {
            --room;
        }
        name.resize(room);
    }
    return "." + name + ending;
}

// What an output name stands for.
enum class OutputKind { Missing, Regular, Stream, Directory, Refused };

OutputKind kindOf(const std::string& path) {
    std::error_code error;
    fs::file_status status = fs::status(path, error);
    switch (status.type()) {
    case fs::file_type::not_found:
        // A dangling link is replaced like a missing file.
        return OutputKind::Missing;
    case fs::file_type::regular:
        return OutputKind::Regular;
    case fs::file_type::fifo:
    case fs::file_type::character:
        return OutputKind::Stream;
    case fs::file_type::directory:
        return OutputKind::Directory;
    default:
        return error ? OutputKind::Missing : OutputKind::Refused;
    }
}

// Writes the file completely or not at all; the reason of a failure, empty on success. A
// temporary that fails is removed; a stream written in place is left as it is.
std::string writeWhole(const fs::path& path, std::span<const std::uint8_t> bytes,
                       bool removeOnFailure = true, std::optional<fs::perms> mode = {}) {
    FileHandle file(std::fopen(path.string().c_str(), "wb"));
    if (!file) {
        return reason();
    }
    if (mode) {
        // Before any byte is written: a private file's new content is never readable by others.
        std::error_code error;
        fs::permissions(path, *mode, error);
        if (error) {
            file.reset();
            fs::remove(path, error);
            return "cannot keep its mode: " + error.message();
        }
    }
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    written = std::fflush(file.get()) == 0 && written;
    std::string failure = written ? "" : reason();
    written = std::fclose(file.release()) == 0 && written;
    if (failure.empty() && !written) {
        failure = reason();
    }
    if (!written && removeOnFailure) {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
    return failure;
}

void refuseUnwritable(const std::string& path, OutputKind kind) {
    if (kind == OutputKind::Directory) {
        throw HostError("cannot write '" + path + "': it is a directory");
    }
    if (kind == OutputKind::Refused) {
        throw HostError("cannot write '" + path +
                        "': it is neither a file, a FIFO nor a character device");
    }
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

namespace {

// The file a path names, for comparisons: the same for every spelling of it and for links to it.
fs::path identityOf(const std::string& path) {
    std::error_code error;
    fs::path canonical = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? fs::path(path).lexically_normal() : canonical;
}

} // namespace

bool sameFile(const std::string& left, const std::string& right) {
    std::error_code error;
    if (fs::exists(left, error) && fs::exists(right, error)) {
        bool same = fs::equivalent(left, right, error);
        if (!error) {
            return same;
        }
    }
    return identityOf(left) == identityOf(right);
}

namespace {

bool isStandardStream(const std::string& path) {
    return path == standardStream;
}

} // namespace

void checkOutputs(std::span<const std::string> inputs, std::span<const std::string> outputs,
                  bool replace, Streams streams) {
    std::error_code error;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const std::string& output = outputs[i];
        if (isStandardStream(output)) {
            continue;
        }
        for (const std::string& input : inputs) {
            if (!isStandardStream(input) && sameFile(input, output)) {
                throw HostError(std::string("refusing to write '")
                                    .append(output)
                                    .append("': it is the input file '")
                                    .append(input)
                                    .append("'"));
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (!isStandardStream(outputs[j]) && sameFile(outputs[j], output)) {
                throw HostError("refusing to write '" + output + "' twice in one run (also '" +
                                outputs[j] + "')");
            }
        }
        checkOutput(output, replace, streams);
    }
}

void checkOutput(const std::string& output, bool replace, Streams streams) {
    OutputKind kind = kindOf(output);
    refuseUnwritable(output, kind);
    std::error_code error;
    bool exists = fs::exists(fs::symlink_status(output, error));
    // A named stream is written to, not replaced; a dangling link would be replaced.
    bool streamed = kind == OutputKind::Stream && streams == Streams::Allowed;
    if (!replace && !streamed && exists) {
        throw HostError("refusing to replace '" + output + "': it exists (--force replaces it)");
    }
    if (exists && kind != OutputKind::Regular && kind != OutputKind::Missing && !streamed) {
        throw HostError("refusing to replace '" + output +
                        "': it is not a regular file, and only a file is replaced here");
    }
}

void releaseReaders(std::span<const std::string> paths) {
#if !defined(_WIN32)
    for (const std::string& path : paths) {
        std::error_code error;
        if (path != standardStream && fs::is_fifo(path, error)) {
            // Without a reader waiting the open fails at once; nobody is left waiting.
            int descriptor = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (descriptor >= 0) {
                ::close(descriptor);
            }
        }
    }
#else
    static_cast<void>(paths);
#endif
}

void makeOutputDirectory(const std::string& path) {
    std::error_code error;
    if (fs::is_directory(path, error)) {
        return;
    }
    fs::path folder = fs::path(path).lexically_normal();
    if (!folder.has_filename()) {
        folder = folder.parent_path();
    }
    fs::path parent = folder.parent_path().empty() ? fs::path(".") : folder.parent_path();
    if (fs::exists(fs::symlink_status(path, error))) {
        throw HostError("cannot write to '" + path + "': it is not a directory");
    }
    if (!fs::is_directory(parent, error)) {
        throw HostError("cannot write to '" + path + "': no such directory '" + parent.string() +
                        "' to create it in");
    }
    if (!fs::create_directory(folder, error) && error) {
        throw HostError("cannot create directory '" + path + "': " + error.message());
    }
}

std::vector<std::uint8_t> readFileStartingWith(const std::string& path, std::string_view magic,
                                               std::size_t limit) {
    bool standard = isStandardStream(path);
    std::string name = standard ? "standard input" : "'" + path + "'";
    std::error_code error;
    if (!standard && fs::is_directory(path, error)) {
        throw HostError("cannot read " + name + ": it is a directory");
    }
    FileHandle owned(standard ? nullptr : std::fopen(path.c_str(), "rb"));
    std::FILE* file = standard ? stdin : owned.get();
    if (file == nullptr) {
        throw HostError("cannot read " + name + ": " + reason());
    }
#if defined(_WIN32)
    if (standard) {
        _setmode(_fileno(stdin), _O_BINARY);
    }
#endif
    std::vector<std::uint8_t> bytes(magic.size());
    std::size_t count = std::fread(bytes.data(), 1, bytes.size(), file);
    if (std::ferror(file)) {
        throw HostError("cannot read " + name + ": " + reason());
    }
    if (count < magic.size() || !std::equal(magic.begin(), magic.end(), bytes.begin())) {
        throw HostError((standard ? "standard input" : path) + ": not a MIDI file (no " +
                        std::string(magic) + " header at the start)");
    }
    // A file's own size, where it has one, is read into room made once: growing by doubling
    // would leave the heap holding the smaller copies.
    if (std::uintmax_t size = standard ? 0 : fs::file_size(path, error); !error && size <= limit) {
        bytes.reserve(static_cast<std::size_t>(size));
    }
    std::uint8_t block[1 << 16];
    while ((count = std::fread(block, 1, sizeof block, file)) > 0) {
        if (bytes.size() + count > limit) {
            throw HostError((standard ? "standard input" : path) + ": larger than " +
                            std::to_string(limit >> 20) + " MiB, the most this program reads");
        }
        bytes.insert(bytes.end(), block, block + count);
    }
    if (std::ferror(file)) {
        throw HostError("cannot read " + name + ": " + reason());
    }
    return bytes;
}

void writeStandardOutput(std::span<const std::uint8_t> bytes) {
#if defined(_WIN32)
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0) {
        throw HostError("cannot write to standard output: " + reason());
    }
}

void writeFilesAtomically(std::span<const OutputFile> files, const MoveIntoPlace& moveGiven) {
    MoveIntoPlace move = moveGiven ? moveGiven
                                   : [](const fs::path& from, const fs::path& to,
                                        std::error_code& error) { fs::rename(from, to, error); };
    std::error_code error;
    std::vector<bool> streamed;
    for (const OutputFile& file : files) {
        OutputKind kind = kindOf(file.path);
        refuseUnwritable(file.path, kind);
        streamed.push_back(kind == OutputKind::Stream);
    }
    // Every temporary and kept-aside name of this call, removed if a signal stops the run.
    struct Held {
        std::vector<int> slots;
        void add(const fs::path& path) { slots.push_back(TemporaryFiles::hold(path.string())); }
        Held() = default;
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;
        ~Held() {
            for (int slot : slots) {
                TemporaryFiles::release(slot);
            }
        }
    } held;
    std::vector<fs::path> temporaries;
    auto discard = [](std::vector<fs::path>& paths) {
        std::error_code ignored;
        for (const fs::path& path : paths) {
            if (!path.empty()) {
                fs::remove(path, ignored);
            }
        }
        paths.clear();
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        fs::path target(files[i].path);
        fs::path temporary =
            streamed[i] ? fs::path() : target.parent_path() / temporaryName(target);
        std::optional<fs::perms> mode;
        if (!streamed[i] && fs::is_regular_file(target, error)) {
            // A replaced file keeps its mode; a new one takes the usual one.
            mode = fs::status(target, error).permissions();
        }
        if (!streamed[i]) {
            held.add(temporary);
        }
        std::string failure = streamed[i] ? "" : writeWhole(temporary, files[i].bytes, true, mode);
        if (!failure.empty()) {
            discard(temporaries);
            throw HostError("cannot write '" + files[i].path + "': " + failure);
        }
        temporaries.push_back(temporary);
    }
    // Streams cannot be taken back: they are written once every file is ready to move.
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::string failure =
            streamed[i] ? writeWhole(files[i].path, files[i].bytes, false) : std::string();
        if (!failure.empty()) {
            discard(temporaries);
            throw HostError("cannot write '" + files[i].path + "': " + failure);
        }
    }
    // What each target held before, kept as a second link until every new file is in place.
    std::vector<fs::path> backups(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        fs::path target(files[i].path);
        if (!streamed[i] && fs::exists(fs::symlink_status(target, error))) {
            fs::path backup = target.parent_path() / temporaryName(target, ".old");
            held.add(backup);
            fs::create_hard_link(target, backup, error);
            if (error) {
                error.clear();
                fs::copy_file(target, backup, error);
            }
            if (error) {
                std::string message = error.message();
                discard(temporaries);
                discard(backups);
                throw HostError("cannot write '" + files[i].path +
                                "': cannot keep its old content aside: " + message);
            }
            backups[i] = backup;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (streamed[i]) {
            continue;
        }
        move(temporaries[i], files[i].path, error);
        if (error) {
            std::string message = error.message();
            // Put back what the earlier targets held.
            std::error_code ignored;
            for (std::size_t j = 0; j < i; ++j) {
                if (streamed[j]) {
                    continue;
                }
                if (backups[j].empty()) {
                    fs::remove(files[j].path, ignored);
                } else {
                    fs::rename(backups[j], files[j].path, ignored);
                    backups[j].clear();
                }
            }
            for (std::size_t j = 0; j < i; ++j) {
                temporaries[j].clear();
            }
            discard(temporaries);
            discard(backups);
            throw HostError("cannot write '" + files[i].path + "': " + message);
        }
    }
    discard(backups);
}

} // namespace quorlin::host
