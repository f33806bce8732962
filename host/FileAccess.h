#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quorlin::host {

// Whole-file reads and writes with one-line HostError messages. A write goes to a temporary
// file in the target's directory that is renamed over the target once complete, so a failed
// run never leaves a partly written file behind.
std::vector<std::uint8_t> readFile(const std::string& path);
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);
void writeFileAtomically(const std::string& path, const std::string& text);

// Several files of one run: every one is written to its temporary first and only then are they
// renamed into place, so a run that cannot write one of them leaves none behind.
struct OutputFile {
    std::string path;
    std::span<const std::uint8_t> bytes;
};
void writeFilesAtomically(std::span<const OutputFile> files);
std::span<const std::uint8_t> bytesOf(const std::string& text);

} // namespace quorlin::host
