#include "host/Commands.h"

#include "host/FileAccess.h"
#include "host/plugin/HostError.h"
#include "host/plugin/MidiProcessor.h"
#include "host/plugin/PluginLibrary.h"
#include "host/render/PianoRoll.h"

#include <filesystem>
#include <iostream>

namespace quorlin::host {

namespace {

// The most of a file this program reads: far beyond any song, well short of exhausting memory.
constexpr std::size_t inputLimit = std::size_t{256} << 20;
constexpr std::string_view midiMagic = "MThd";

std::size_t eventCount(const MidiFile& file) {
    std::size_t count = 0;
    for (const MidiTrack& track : file.tracks) {
        count += track.events.size();
    }
    return count;
}

std::string displayName(const std::string& path) {
    return path == standardStream ? "standard input" : path;
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

// One input to one output (and maybe a picture); throws HostError with the reason.
void processOne(const CommandLine& line, PluginLibrary& library, const std::string& inputPath,
                const std::string& outputPath, std::ostream& out) {
    MidiFile input;
    try {
        input = MidiFile::parse(readFileStartingWith(inputPath, midiMagic, inputLimit));
    } catch (const MidiFileError& error) {
        throw HostError(displayName(inputPath) + ": " + error.what());
    }
    EventLog log;
    MidiProcessor processor([&library] { return library.createModule(); }, line.speed,
                            line.log ? &log : nullptr, line.choice);
    MidiFile result = processor.process(input);
    std::vector<std::uint8_t> bytes;
    try {
        bytes = result.serialize();
    } catch (const MidiFileError& error) {
        throw HostError(outputPath + ": " + error.what());
    }
    std::string picture;
    std::vector<OutputFile> files;
    if (outputPath != standardStream) {
        files.push_back({outputPath, bytes});
    }
    if (!line.svg.empty()) {
        std::string name = inputPath == standardStream
                               ? std::string("standard input")
                               : std::filesystem::path(inputPath).filename().string();
        PianoRoll roll(
            "Quorlin: " + name,
            name + " through the plug-in, portamento speed " + line.speed.value_or("left at Off") +
                ", " + line.choice.describeChannels() + "; written to " + displayName(outputPath),
            barsOf(line));
        picture = roll.svg(result, processor.processedChannels());
        files.push_back({line.svg, bytesOf(picture)});
    }
    writeFilesAtomically(files);
    if (outputPath == standardStream) {
        writeStandardOutput(bytes);
    }

    if (line.log) {
        log.print(out);
        out << '\n';
    }
    std::size_t processed = 0;
    for (std::uint16_t channels : processor.processedChannels()) {
        processed += channels != 0 ? 1 : 0;
    }
    out << "Wrote " << displayName(outputPath) << ": format " << result.format << ", "
        << result.tracks.size() << " track(s), " << processed << " through the plug-in, "
        << eventCount(input) << " events in, " << eventCount(result) << " out\n";
    if (line.log) {
        out << channelReport(processor.processedChannels());
    }
    if (!line.svg.empty()) {
        out << "Wrote " << line.svg << ": the piano roll\n";
    }
}

std::string outputFor(const CommandLine& line, const std::string& input) {
    if (line.outputDirectory.empty()) {
        return line.output;
    }
    std::string name = input == standardStream ? std::string("stdin.mid")
                                               : std::filesystem::path(input).filename().string();
    return (std::filesystem::path(line.outputDirectory) / name).string();
}

} // namespace

void runProcessCommand(const CommandLine& line, std::ostream& standardOut) {
    // With the MIDI file on standard output, every message goes to standard error.
    std::ostream& out = line.output == standardStream ? std::cerr : standardOut;
    std::vector<std::string> outputs;
    for (const std::string& input : line.inputs) {
        outputs.push_back(outputFor(line, input));
    }
    if (!line.svg.empty()) {
        outputs.push_back(line.svg);
    }
    if (line.outputDirectory.empty()) {
        checkOutputs(line.inputs, outputs, line.force);
    } else {
        std::error_code error;
        if (!std::filesystem::is_directory(line.outputDirectory, error)) {
            throw HostError("cannot write to '" + line.outputDirectory + "': no such directory");
        }
    }
    PluginLibrary library(pluginPathOf(line));
    if (line.outputDirectory.empty()) {
        processOne(line, library, line.inputs.front(), line.output, out);
        return;
    }
    // A batch: each file on its own; one that fails is reported and the rest still go.
    std::size_t failed = 0;
    for (std::size_t i = 0; i < line.inputs.size(); ++i) {
        try {
            std::vector<std::string> others(outputs.begin(),
                                            outputs.begin() + static_cast<std::ptrdiff_t>(i));
            others.push_back(outputs[i]);
            // Not the same file as an input or an earlier output; an existing one only forced.
            checkOutputs(line.inputs, others, true);
            checkOutputs(line.inputs, {outputs.begin() + static_cast<std::ptrdiff_t>(i), 1},
                         line.force);
            processOne(line, library, line.inputs[i], outputs[i], out);
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
