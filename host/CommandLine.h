#pragma once

#include "host/plugin/ChannelChoice.h"
#include "host/plugin/PlayingOptions.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quorlin::host {

// The parsed arguments of one run. Parsing throws a usage HostError for anything it cannot
// take: unknown options, missing values or operands, options that do not fit the command. Each
// command's options are listed in one table in CommandLine.cpp, with its own help text.
struct CommandLine {
    enum class Command { Help, Version, Info, Process, Demo, Skin };

    // What plays the channels: the plug-in library through its tables, or the legato core linked
    // into the program. Automatic takes the library while the playing options hold their
    // defaults, which is all the library plays, and the core otherwise.
    enum class Engine { Automatic, Library, Core };

    Command command = Command::Help;
    // For Help: the command whose help was asked for, or none for the program's.
    std::optional<Command> helpTopic;
    std::string pluginPath;          // empty: the library the program finds by itself
    std::vector<std::string> inputs; // "-" is standard input
    std::string output;              // "-" is standard output
    std::string outputDirectory;
    std::string svg; // empty: no piano roll
    std::optional<std::string> speed;
    PlayingOptions playing;
    Engine engine = Engine::Automatic;
    // --per-track: each track with its own players, as with a plug-in inserted on one track;
    // otherwise the file is played as a synthesizer hears it, channel by channel.
    bool perTrack = false;
    ChannelChoice choice;
    // --bars FROM-TO: the bars the piano roll shows, from 1, both included.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> bars;
    bool log = false;
    bool force = false;

    static CommandLine parse(std::span<const std::string> arguments);
    // The program's help, or one command's.
    static std::string usage(std::optional<Command> topic = std::nullopt);
};

// "Off" in any case, -1 or 0..127, as the plug-in's speed parameter takes it ("Off" spelled
// so); a usage error otherwise.
std::string speedOf(const std::string& text);

} // namespace quorlin::host
