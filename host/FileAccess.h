#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quorlin::host {

// The name that stands for standard input or output.
inline constexpr std::string_view standardStream = "-";

// Whole-file reads and writes with one-line HostError messages. A write to a regular file (or
// to a name that does not exist yet) goes to a temporary file in the target's directory that is
// renamed over the target once complete, so a failed run never leaves a partly written file
// behind. A FIFO or a character device is written in place, as a stream: it is never replaced.
// Sockets and block devices are refused. A replaced file keeps its mode, the temporary name is
// never longer than a long target's, and INT, TERM or HUP remove the temporary (TemporaryFiles).
std::vector<std::uint8_t> readFile(const std::string& path);
// Reads `path` ("-": standard input) after checking that it starts with `magic`, up to `limit`
// bytes; longer input is refused without being read further.
std::vector<std::uint8_t> readFileStartingWith(const std::string& path, std::string_view magic,
                                               std::size_t limit);
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
void writeFileAtomically(const std::string& path, const std::string& text);
// Writes the bytes to standard output, in binary.
void writeStandardOutput(std::span<const std::uint8_t> bytes);

// Several files of one run: every one is written to its temporary first and only then are they
// moved into place. A run that cannot write one of them leaves none behind, and when moving
// one into place fails, those already moved are put back as they were.
struct OutputFile {
    std::string path;
    std::span<const std::uint8_t> bytes;
};
// Moves a finished temporary over its target; replaceable so that a failure can be staged.
using MoveIntoPlace = std::function<void(const std::filesystem::path& from,
                                         const std::filesystem::path& to, std::error_code& error)>;
void writeFilesAtomically(std::span<const OutputFile> files, const MoveIntoPlace& move = {});
std::span<const std::uint8_t> bytesOf(const std::string& text);

// Whether an existing FIFO or character device (or a link to one) among the outputs is written
// to as a stream. Outputs the user named one by one are; the files a batch or a folder of
// outputs derives from its own names are not: there, an entry of any kind counts as existing,
// and only a regular file is replaced, with `replace`.
enum class Streams { Allowed, Refused };
// Refuses, with one HostError line, outputs that are the same file as an input or as each other
// however they are spelled, and existing outputs unless `replace` is set. "-" is no file.
void checkOutputs(std::span<const std::string> inputs, std::span<const std::string> outputs,
                  bool replace, Streams streams = Streams::Allowed);
// Refuses an output that cannot be written (a directory, a socket, a block device) and an
// existing one unless `replace` is set; see Streams for FIFOs and character devices.
void checkOutput(const std::string& output, bool replace, Streams streams = Streams::Allowed);
// Opens and closes at once, without waiting, each FIFO among `paths`, so that a reader waiting
// on a run that failed sees an empty stream end instead of waiting for ever. "-" is skipped.
void releaseReaders(std::span<const std::string> paths);
// Whether two names are the same file however they are spelled, links included.
bool sameFile(const std::string& left, const std::string& right);
// Creates the folder `path` when it is missing and the folder it lies in exists.
void makeOutputDirectory(const std::string& path);

} // namespace quorlin::host
