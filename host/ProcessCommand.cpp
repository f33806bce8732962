#include "host/Commands.h"

#include "host/FileAccess.h"
#include "host/plugin/BankPlayers.h"
#include "host/plugin/HostError.h"
#include "host/plugin/LibraryPlayers.h"
#include "host/plugin/MidiProcessor.h"
#include "host/plugin/PluginLibrary.h"
#include "host/render/PianoRoll.h"
#include "legato/MidiProtocol.h"
#include "legato/PlayingRanges.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>

namespace quorlin::host {

namespace {

// The most of a file this program reads: far beyond any song, well short of exhausting memory.
constexpr std::size_t inputLimit = std::size_t{256} << 20;
constexpr std::string_view midiMagic = "MThd";
// The largest file --svg draws: a picture holds every event of the result, and one of millions
// of notes helps nobody. A larger one is refused before it is played.
constexpr std::size_t pictureLimit = std::size_t{10} << 20;

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

// Under --per-track, whether tracks share a channel that goes through: each such track has its
// own instance, while a synthesizer hears the channel as one stream. Empty when none do; otherwise
// the warning, naming the first shared channel and its first tracks (a file may have thousands: the
// line stays one a reader can take in).
std::string sharedChannels(const std::vector<std::uint16_t>& processed) {
    constexpr std::size_t tracksNamed = 4;
    std::size_t shared = 0;
    std::string first;
    for (std::int32_t channel = 0; channel < midi::channelCount; ++channel) {
        std::string tracks;
        std::size_t count = 0;
        for (std::size_t i = 0; i < processed.size(); ++i) {
            if (((processed[i] >> channel) & 1U) != 0 && count++ < tracksNamed) {
                tracks += (count == 1 ? "" : ", ") + std::to_string(i + 1);
            }
        }
        if (count > tracksNamed) {
            tracks += " and " + std::to_string(count - tracksNamed) + " more";
        }
        if (count > 1 && shared++ == 0) {
            first = "channel " + std::to_string(channel + 1) + ": tracks " + tracks;
        }
    }
    if (shared == 0) {
        return "";
    }
    return std::to_string(shared) + " channel(s) are played by more than one track (" + first +
           "); each track has its own plug-in instance, while a synthesizer hears one stream "
           "per channel, so one track's controller 65 can decide another's glide";
}

// The speed as the caption gives it. Off, the plug-in sends no portamento time, and a
// synthesizer that has none of its own glides in no time: the glides drawn are not heard.
std::string speedCaption(const std::optional<std::string>& speed) {
    if (speed && playing::speedFromText(*speed) != playing::speedOff) {
        return "portamento speed " + *speed;
    }
    return "portamento speed Off, so no glide is heard unless the synthesizer has a portamento "
           "time of its own";
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
    std::vector<std::uint8_t> fileBytes = readFileStartingWith(inputPath, midiMagic, inputLimit);
    if (!svgPath.empty() && fileBytes.size() > pictureLimit) {
        throw HostError(inputName(inputPath) + ": larger than " +
                        std::to_string(pictureLimit >> 20) +
                        " MiB, the most --svg draws; without --svg it is processed");
    }
    MidiFileView input;
    try {
        input = MidiFileView::open(fileBytes);
    } catch (const MidiFileError& error) {
        throw HostError(inputName(inputPath) + ": " + error.what());
    }
    if (!line.choice.choosesTrackOf(input.trackCount())) {
        throw HostError(inputName(inputPath) + ": --tracks chooses no track of it; it has " +
                        std::to_string(input.trackCount()) + " track(s)");
    }
    // The log's rows are printed as they come, not held.
    std::optional<EventLog> log;
    if (line.log) {
        log.emplace(out);
    }
    std::unique_ptr<ChannelPlayers> players = playersOf(line, library);
    MidiProcessor processor(*players, log ? &*log : nullptr, line.choice,
                            line.perTrack ? MidiProcessor::View::PerTrack
                                          : MidiProcessor::View::Synthesizer,
                            line.playing.replaceControllers);
    // Each track is read once more as it is played and written as it goes: no track's events
    // are held, with or without --log and --svg.
    MidiFileWriter writer(input.format(), input.division(), input.trackCount());
    processor.process(input, writer);
    std::uint16_t format = input.format();
    std::size_t trackCount = input.trackCount();
    std::size_t eventsIn = input.eventCount();
    std::size_t eventsOut = writer.eventCount();
    // The input is done with: its room goes to the file being put together.
    input = {};
    fileBytes = {};
    std::vector<std::uint8_t> bytes;
    try {
        bytes = writer.take();
    } catch (const MidiFileError& error) {
        throw HostError(outputPath + ": " + error.what());
    }
    std::size_t ownControllers = processor.inputPortamentoControllers();
    std::string picture;
    std::vector<OutputFile> files;
    if (outputPath != standardStream) {
        files.push_back({outputPath, bytes});
    }
    if (!svgPath.empty()) {
        // The picture reads what was written.
        MidiFile result = MidiFile::parse(bytes);
        std::string name = inputPath == standardStream
                               ? std::string("standard input")
                               : std::filesystem::path(inputPath).filename().string();
        if (line.bars) {
            std::uint32_t bars = PianoRoll::barCount(result);
            if (line.bars->first > bars) {
                throw HostError(inputName(inputPath) + ": --bars " +
                                std::to_string(line.bars->first) + "-" +
                                std::to_string(line.bars->second) + " draws nothing; it has " +
                                std::to_string(bars) + " bar(s)");
            }
        }
        PianoRoll roll("Quorlin: " + name,
                       name + " through the plug-in, " + speedCaption(line.speed) + ", " +
                           line.choice.describeChannels() + "; written to " +
                           outputName(outputPath),
                       barsOf(line));
        picture = roll.svg(result, processor.processedChannels());
        files.push_back({svgPath, bytesOf(picture)});
    }
    writeFilesAtomically(files);
    if (ownControllers > 0 && !line.playing.replaceControllers) {
        std::cerr << "quorlin-host: warning: " << inputName(inputPath) << " carries "
                  << ownControllers
                  << " controller(s) 5 or 65 of its own on the channels that go through, which "
                     "can override Quorlin's; --replace-controllers leaves them out\n";
    }
    if (std::string shared = line.perTrack ? sharedChannels(processor.processedChannels()) : "";
        !shared.empty()) {
        std::cerr << "quorlin-host: warning: " << inputName(inputPath) << ": " << shared << '\n';
    }
    if (outputPath == standardStream) {
        writeStandardOutput(bytes);
    }

    if (line.log) {
        out << '\n';
    }
    std::size_t processed = 0;
    for (std::uint16_t channels : processor.processedChannels()) {
        processed += channels != 0 ? 1 : 0;
    }
    out << "Wrote " << outputName(outputPath) << ": format " << format << ", " << trackCount
        << " track(s), " << processed << " through the plug-in, " << eventsIn << " events in, "
        << eventsOut << " out\n";
    if (line.log) {
        out << channelReport(processor.processedChannels());
        if (line.playing.replaceControllers) {
            out << "  left out " << ownControllers
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
