#pragma once

#include "host/CommandLine.h"
#include "host/midi/MidiFile.h"
#include "host/plugin/ChannelPlayers.h"
#include "host/plugin/EventLog.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorlin::host {

// One input of `process` played through, as the program and the page both play it: the checks
// that refuse a file, the loop, and the picture of what was written. Each failure is a HostError
// that names the file, as the program prints it.
class FileRun {
public:
    // How the messages and the picture name the files.
    struct Names {
        std::string input;   // in messages: the path, or "standard input"
        std::string title;   // in the picture's title: the input's own name
        std::string output;  // as given: in a message about writing it
        std::string written; // in the picture's caption: where the result goes
    };

    struct Result {
        std::vector<std::uint8_t> bytes;
        std::string picture; // empty unless one was asked for
        // Each a line, for after "warning: ".
        std::vector<std::string> warnings;
        std::uint16_t format = 1;
        std::size_t trackCount = 0;
        std::size_t eventsIn = 0;
        std::size_t eventsOut = 0;
        // The input's own controllers 5 and 65 on the channels that went through.
        std::size_t ownControllers = 0;
        // Per track, bit n set when channel n + 1 went through the plug-in.
        std::vector<std::uint16_t> processedChannels;
    };

    // Opens `bytes` for `line`, which must outlive the run: refused when --svg is to draw
    // (`picture`) a file larger than it draws, when the file is malformed, and when --tracks
    // chooses none of its tracks.
    FileRun(const CommandLine& line, std::vector<std::uint8_t> bytes, Names names, bool picture);
    FileRun(const FileRun&) = delete;
    FileRun& operator=(const FileRun&) = delete;

    // Plays the file through `players`, rows to `log` (may be null), takes what was written and,
    // when asked for, draws it; refused when the result cannot be written and when --bars lies
    // past its end. Once per run: the input's memory goes to the result.
    Result play(ChannelPlayers& players, EventLog* log);

private:
    const CommandLine& line;
    std::vector<std::uint8_t> fileBytes;
    Names names;
    bool picture;
    MidiFileView input;
};

} // namespace quorlin::host
