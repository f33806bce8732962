#include "host/FileRun.h"

#include "host/Commands.h"
#include "host/plugin/HostError.h"
#include "host/plugin/MidiProcessor.h"
#include "host/render/PianoRoll.h"
#include "legato/PlayingRanges.h"

namespace quorlin::host {

namespace {

// The largest file --svg draws: a picture holds every event of the result, and one of millions
// of notes helps nobody. A larger one is refused before it is played.
constexpr std::size_t pictureLimit = std::size_t{10} << 20;

// What `step` gives; a MidiFileError it raises becomes a HostError with `prefix` before its
// message. Without exceptions the failure is told after `prefix` where it is raised.
template <class Step> auto named(const std::string& prefix, Step step) {
#if defined(__cpp_exceptions)
    try {
        return step();
    } catch (const MidiFileError& error) {
        throw HostError(prefix + error.what());
    }
#else
    Failure::Context context(prefix);
    return step();
#endif
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

} // namespace

std::optional<PianoRoll::BarRange> barsOf(const CommandLine& line) {
    if (!line.bars) {
        return std::nullopt;
    }
    return PianoRoll::BarRange{line.bars->first, line.bars->second};
}

FileRun::FileRun(const CommandLine& commandLine, std::vector<std::uint8_t> bytes, Names fileNames,
                 bool drawn)
    : line(commandLine), fileBytes(std::move(bytes)), names(std::move(fileNames)), picture(drawn) {
    if (picture && fileBytes.size() > pictureLimit) {
        Failure::raise(HostError(names.input + ": larger than " +
                                 std::to_string(pictureLimit >> 20) +
                                 " MiB, the most --svg draws; without --svg it is processed"));
    }
    input = named(names.input + ": ", [this] { return MidiFileView::open(fileBytes); });
    if (!line.choice.choosesTrackOf(input.trackCount())) {
        Failure::raise(HostError(names.input + ": --tracks chooses no track of it; it has " +
                                 std::to_string(input.trackCount()) + " track(s)"));
    }
}

FileRun::Result FileRun::play(ChannelPlayers& players, EventLog* log) {
    MidiProcessor processor(players, log, line.choice,
                            line.perTrack ? MidiProcessor::View::PerTrack
                                          : MidiProcessor::View::Synthesizer,
                            line.playing.replaceControllers);
    // Each track is read once more as it is played and written as it goes: no track's events
    // are held, with or without a log and a picture.
    MidiFileWriter writer(input.format(), input.division(), input.trackCount());
    processor.process(input, writer);
    Result result;
    result.format = input.format();
    result.trackCount = input.trackCount();
    result.eventsIn = input.eventCount();
    result.eventsOut = writer.eventCount();
    // The input is done with: its room goes to the file being put together.
    input = {};
    fileBytes = {};
    result.bytes = named(names.output + ": ", [&writer] { return writer.take(); });
    result.ownControllers = processor.inputPortamentoControllers();
    result.processedChannels = processor.processedChannels();
    if (picture) {
        // The picture reads what was written.
        MidiFile written = MidiFile::parse(result.bytes);
        if (line.bars) {
            std::uint32_t bars = PianoRoll::barCount(written);
            if (line.bars->first > bars) {
                Failure::raise(
                    HostError(names.input + ": --bars " + std::to_string(line.bars->first) + "-" +
                              std::to_string(line.bars->second) + " draws nothing; it has " +
                              std::to_string(bars) + " bar(s)"));
            }
        }
        PianoRoll roll("Quorlin: " + names.title,
                       names.title + " through the plug-in, " + speedCaption(line.speed) + ", " +
                           line.choice.describeChannels() + "; written to " + names.written,
                       barsOf(line));
        result.picture = roll.svg(written, result.processedChannels);
    }
    if (result.ownControllers > 0 && !line.playing.replaceControllers) {
        result.warnings.push_back(
            names.input + " carries " + std::to_string(result.ownControllers) +
            " controller(s) 5 or 65 of its own on the channels that go through, which can "
            "override Quorlin's; --replace-controllers leaves them out");
    }
    if (std::string shared = line.perTrack ? sharedChannels(result.processedChannels) : "";
        !shared.empty()) {
        result.warnings.push_back(names.input + ": " + shared);
    }
    return result;
}

} // namespace quorlin::host
