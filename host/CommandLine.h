#pragma once

#include <optional>
#include <span>
#include <string>

namespace quorlin::host {

// The parsed arguments of one run. Parsing throws a usage HostError for anything it cannot
// take: unknown options, missing values or operands, options that do not fit the command.
struct CommandLine {
    enum class Command { Help, Info, Process, Demo, Skin };

    Command command = Command::Help;
    std::string pluginPath; // empty: the library beside the program
    std::string input;
    std::string output;
    std::string outputDirectory;
    std::string svg; // empty: no piano roll
    std::optional<std::string> speed;
    bool log = false;

    static CommandLine parse(std::span<const std::string> arguments);
    static const char* usage();
};

} // namespace quorlin::host
