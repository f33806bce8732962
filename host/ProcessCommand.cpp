#include "host/Commands.h"

#include "host/FileAccess.h"
#include "host/FileRun.h"
#include "host/plugin/BankPlayers.h"
#include "host/plugin/HostError.h"
#include "host/plugin/LibraryPlayers.h"
#include "host/plugin/PluginLibrary.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

namespace quorlin::host {

namespace {

// The most of a file this program reads: far beyond any song, well short of exhausting memory.
constexpr std::size_t inputLimit = std::size_t{256} << 20;
constexpr std::string_view midiMagic = "MThd";

std::string inputName(const std::string& path) {
    return path == standardStream ? "standard input" : path;
}

std::string outputName(const std::string& path) {
    return path == standardStream ? "standard output" : path;
}

// Which channels of each track went through the plug-in, e.g. "track 2: channels 1, 3".
std::string channelReport(const std::vector<std::uint16_t>& processed) {
    std::string text;
    for (std::size_t i = 0; i < processed.size(); ++i) {
        if (processed[i] == 0) {
            continue;
        }
        text += "  track " + std::to_string(i + 1) + ": " + PianoRoll::channelList(processed[i]) +
                " through the plug-in\n";
    }
    return text;
}

// What plays the channels of a run, as --engine chooses.
std::unique_ptr<ChannelPlayers> playersOf(const CommandLine& line, PluginLibrary& library) {
    bool core = line.engine == CommandLine::Engine::Core ||
                (line.engine == CommandLine::Engine::Automatic && !line.playing.atDefaults());
    if (core) {
        return std::make_unique<BankPlayers>(line.speed, line.playing);
    }
    return std::make_unique<LibraryPlayers>([&library] { return library.createModule(); },
                                            line.speed);
}

// One input to one output (and maybe a picture, empty for none); throws HostError with the
// reason.
void processOne(const CommandLine& line, PluginLibrary& library, const std::string& inputPath,
                const std::string& outputPath, const std::string& svgPath, std::ostream& out) {
    FileRun run(line, readFileStartingWith(inputPath, midiMagic, inputLimit),
                {inputName(inputPath),
                 inputPath == standardStream ? std::string("standard input")
                                             : std::filesystem::path(inputPath).filename().string(),
                 outputPath, outputName(outputPath)},
                !svgPath.empty());
    // The log's rows are printed as they come, not held.
    std::optional<EventLog> log;
    if (line.log) {
        log.emplace(out);
    }
    std::unique_ptr<ChannelPlayers> players = playersOf(line, library);
    FileRun::Result result = run.play(*players, log ? &*log : nullptr);
    std::vector<OutputFile> files;
    if (outputPath != standardStream) {
        files.push_back({outputPath, result.bytes});
    }
    if (!svgPath.empty()) {
        files.push_back({svgPath, bytesOf(result.picture)});
    }
    writeFilesAtomically(files);
    for (const std::string& warning : result.warnings) {
        std::cerr << "quorlin-host: warning: " << warning << '\n';
    }
    if (outputPath == standardStream) {
        writeStandardOutput(result.bytes);
    }

    if (line.log) {
        out << '\n';
    }
    std::size_t processed = 0;
    for (std::uint16_t channels : result.processedChannels) {
        processed += channels != 0 ? 1 : 0;
    }
    out << "Wrote " << outputName(outputPath) << ": format " << result.format << ", "
        << result.trackCount << " track(s), " << processed << " through the plug-in, "
        << result.eventsIn << " events in, " << result.eventsOut << " out\n";
    if (line.log) {
        out << channelReport(result.processedChannels);
        if (line.playing.replaceControllers) {
            out << "  left out " << result.ownControllers
                << " controller(s) 5 and 65 of the input (--replace-controllers)\n";
        }
    }
    if (!svgPath.empty()) {
        out << "Wrote " << svgPath << ": the piano roll\n";
    }
}

// Where a batch writes each input: DIR/<name>, and its roll as <name without extension>.svg in
// the --svg folder.
std::string outputFor(const CommandLine& line, const std::string& input) {
    std::string name = input == standardStream ? std::string("stdin.mid")
                                               : std::filesystem::path(input).filename().string();
    return (std::filesystem::path(line.outputDirectory) / name).string();
}

std::string pictureFor(const CommandLine& line, const std::string& output) {
    if (line.svg.empty()) {
        return "";
    }
    std::filesystem::path name = std::filesystem::path(output).filename();
    return (std::filesystem::path(line.svg) / name.replace_extension(".svg")).string();
}

// Refuses, naming the file once, a batch output that is an input or that an earlier input
// also goes to, and an existing one without --force.
void checkBatchOutput(const CommandLine& line, std::size_t index,
                      const std::vector<std::string>& outputs, const std::string& output) {
    const std::string& input = line.inputs[index];
    for (const std::string& other : line.inputs) {
        if (other != standardStream && sameFile(other, output)) {
            std::string text = "refusing to write '" + output + "'";
            if (other != input) {
                text.append(" for '").append(input).append("'");
            }
            throw HostError(text.append(": it is the input file '").append(other).append("'"));
        }
    }
    for (std::size_t j = 0; j < outputs.size(); ++j) {
        if (!outputs[j].empty() && sameFile(outputs[j], output)) {
            std::string text = "refusing to write '" + output + "'";
            text.append(" for '").append(input).append("': '");
            text.append(line.inputs[j / (line.svg.empty() ? 1 : 2)]).append("' goes there too");
            throw HostError(text);
        }
    }
    checkOutput(output, line.force, Streams::Refused);
}

} // namespace

void runProcessCommand(const CommandLine& line, std::ostream& standardOut) {
    // With the MIDI file on standard output, every message goes to standard error.
    std::ostream& out = line.output == standardStream ? std::cerr : standardOut;
    if (line.outputDirectory.empty()) {
        std::vector<std::string> outputs{line.output};
        if (!line.svg.empty()) {
            outputs.push_back(line.svg);
        }
        checkOutputs(line.inputs, outputs, line.force);
        try {
            PluginLibrary library(pluginPathOf(line));
            processOne(line, library, line.inputs.front(), line.output, line.svg, out);
        } catch (...) {
            releaseReaders(outputs);
            throw;
        }
        return;
    }
    makeOutputDirectory(line.outputDirectory);
    if (!line.svg.empty()) {
        makeOutputDirectory(line.svg);
    }
    PluginLibrary library(pluginPathOf(line));
    // A batch: each file all or nothing; one that fails is reported and the rest still go.
    std::size_t failed = 0;
    std::vector<std::string> outputs;
    for (std::size_t i = 0; i < line.inputs.size(); ++i) {
        std::string output = outputFor(line, line.inputs[i]);
        std::string picture = pictureFor(line, output);
        try {
            checkBatchOutput(line, i, outputs, output);
            if (!picture.empty()) {
                if (sameFile(picture, output)) {
                    throw HostError("refusing to write '" + picture + "' for '" + line.inputs[i] +
                                    "': it is also its MIDI file");
                }
                checkBatchOutput(line, i, outputs, picture);
            }
        } catch (const HostError& error) {
            ++failed;
            std::cerr << "quorlin-host: " << error.what() << '\n';
            output.clear();
            picture.clear();
        }
        // Each file keeps its places, even a refused one, so that a later file is checked
        // against them and its index is found.
        outputs.push_back(output);
        if (!line.svg.empty()) {
            outputs.push_back(picture);
        }
        if (output.empty()) {
            continue;
        }
        try {
            processOne(line, library, line.inputs[i], output, picture, out);
        } catch (const HostError& error) {
            ++failed;
            std::cerr << "quorlin-host: " << error.what() << '\n';
        }
    }
    if (failed > 0) {
        throw HostError(std::to_string(failed) + " of " + std::to_string(line.inputs.size()) +
                        " files failed");
    }
}

} // namespace quorlin::host
