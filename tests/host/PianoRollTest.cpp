#include "host/render/PianoRoll.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

namespace quorlin::host {
namespace {

MidiEvent on(std::uint32_t tick, std::uint8_t key) {
    return MidiEvent::channelMessage(tick, MidiEvent::noteOn, key, 100);
}

MidiEvent off(std::uint32_t tick, std::uint8_t key) {
    return MidiEvent::channelMessage(tick, MidiEvent::noteOff, key, 64);
}

MidiEvent speed(std::uint32_t tick, std::uint8_t value) {
    return MidiEvent::channelMessage(tick, MidiEvent::controlChange, 5, value);
}

// A run of quarter notes, one per `step` ticks, up to `endTick`.
MidiTrack run(std::uint32_t step, std::uint32_t endTick) {
    MidiTrack track;
    for (std::uint32_t tick = 0; tick + step <= endTick; tick += step) {
        auto key = static_cast<std::uint8_t>(60 + tick / step % 12);
        track.events.push_back(on(tick, key));
        track.events.push_back(off(tick + step, key));
    }
    std::stable_sort(track.events.begin(), track.events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    track.endTick = endTick;
    return track;
}

MidiFile fileOf(std::uint16_t division, std::vector<MidiTrack> tracks) {
    MidiFile file;
    file.format = 1;
    file.division = division;
    file.tracks = std::move(tracks);
    return file;
}

std::vector<std::string> matches(const std::string& text, const std::string& pattern) {
    std::vector<std::string> found;
    std::regex expression(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), expression);
         it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[1].str());
    }
    return found;
}

double pictureWidth(const std::string& svg) {
    return std::stod(matches(svg, "<svg [^>]*width=\"([0-9.]+)\"").at(0));
}

// The smallest distance between neighbouring x positions of the elements of one class.
double closest(const std::string& svg, const std::string& className) {
    std::vector<double> xs;
    for (const std::string& x : matches(svg, "class=\"" + className + "\" x1?=\"([0-9.]+)\"")) {
        xs.push_back(std::stod(x));
    }
    double smallest = 1e9;
    for (std::size_t i = 1; i < xs.size(); ++i) {
        smallest = std::min(smallest, xs[i] - xs[i - 1]);
    }
    return smallest;
}

TEST(HostPianoRollTest, DrawsOneRollPerTrackThatHoldsNotes) {
    MidiTrack conductor{{MidiEvent::meta(0, MidiEvent::tempoType, {0x07, 0xA1, 0x20})}, 0};
    MidiTrack strayOff{{off(0, 60)}, 10};
    MidiFile file = fileOf(480, {conductor, run(480, 1920), strayOff, run(240, 960)});
    std::string svg = PianoRoll("Song & <title>", "through it").svg(file);

    EXPECT_EQ(matches(svg, "class=\"roll\" data-track=\"([0-9]+)\""),
              (std::vector<std::string>{"2", "4"}));
    EXPECT_EQ(matches(svg, "class=\"note struck\"[^>]*data-key=\"([0-9]+)\"").size(), 4u + 4u);
    EXPECT_NE(svg.find("<title>Song &amp; &lt;title&gt;</title>"), std::string::npos);
    EXPECT_NE(svg.find(">through it</text>"), std::string::npos);
    EXPECT_EQ(svg.rfind("</svg>\n"), svg.size() - 7);

    std::string empty = PianoRoll("t", "c").svg(fileOf(96, {conductor}));
    EXPECT_TRUE(matches(empty, "class=\"(roll)\"").empty());
    EXPECT_NE(empty.find("No track of this file holds notes."), std::string::npos);
}

TEST(HostPianoRollTest, StretchesAPhraseAndLetsASongScrollWithThinnedLabels) {
    // Four bars of 4/4 fill about the target width.
    std::string phrase = PianoRoll("t", "c").svg(fileOf(480, {run(480, 4 * 1920)}));
    EXPECT_GE(pictureWidth(phrase), 950.0);
    EXPECT_LE(pictureWidth(phrase), 1150.0);
    EXPECT_EQ(matches(phrase, "class=\"bar-number\" x=\"[0-9.]+\" y=\"[0-9.]+\">([0-9]+)<").size(),
              5u);
    EXPECT_GE(closest(phrase, "bar-number"), 38.4);

    // Six hundred bars of 2/4 scroll at no less than 20 pixels a quarter; bars of 40 pixels
    // are each drawn but numbered every second one.
    MidiTrack song = run(1920, 300 * 1920);
    song.events.insert(song.events.begin(), MidiEvent::meta(0, 0x58, {2, 2, 24, 8}));
    std::string wide = PianoRoll("t", "c").svg(fileOf(480, {song}));
    EXPECT_GE(pictureWidth(wide), 300 * 4 * 20.0);
    EXPECT_GE(closest(wide, "bar-number"), 38.4);
    EXPECT_GE(closest(wide, "bar"), 6.0);
    EXPECT_EQ(matches(wide, "class=\"(bar)\"").size(), 601u);
    std::vector<std::string> numbers = matches(wide, "class=\"bar-number\"[^>]*>([0-9]+)<");
    ASSERT_EQ(numbers.size(), 301u);
    EXPECT_EQ(numbers[1], "3");
    EXPECT_EQ(numbers.back(), "601");

    // A file reaching the last tick at one tick per quarter is squeezed to the widest picture.
    MidiTrack far{{on(0, 60), off(MidiFile::maxTick, 60)}, MidiFile::maxTick};
    std::string huge = PianoRoll("t", "c").svg(fileOf(1, {far}));
    EXPECT_LE(pictureWidth(huge), 60000.0 + 120.0);
    EXPECT_LT(matches(huge, "class=\"(bar)\"").size(), 60000u / 6u);
}

TEST(HostPianoRollTest, MarksEverySpeedAndLabelsOnlyThoseWithRoom) {
    MidiTrack track = run(480, 1920 * 8);
    for (std::uint32_t tick = 0; tick < 1920 * 8; tick += 30) {
        track.events.push_back(speed(tick, static_cast<std::uint8_t>(tick / 30 % 128)));
    }
    std::stable_sort(track.events.begin(), track.events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    std::string svg = PianoRoll("t", "c").svg(fileOf(480, {track}));
    std::size_t marks = matches(svg, "class=\"speed-mark\" data-tick=\"([0-9]+)\"").size();
    EXPECT_EQ(marks, 1920u * 8 / 30);
    // Marks about two pixels apart: only the last has room for a label, yet each tells its
    // value in its title.
    EXPECT_EQ(matches(svg, "Z\"/>\n<text x=\"[0-9.]+\" y=\"[0-9.]+\">([0-9]+)<"),
              std::vector<std::string>{"127"});
    EXPECT_EQ(matches(svg, "<title>portamento time ([0-9]+),").size(), marks);

    MidiTrack sparse = run(480, 1920 * 8);
    sparse.events.insert(sparse.events.begin(), speed(0, 40));
    sparse.events.push_back(speed(1920 * 8, 100));
    std::string few = PianoRoll("t", "c").svg(fileOf(480, {sparse}));
    EXPECT_EQ(matches(few, "d=\"[^\"]+ Z\"/>\n<text x=\"[0-9.]+\" y=\"[0-9.]+\">([0-9]+)<"),
              (std::vector<std::string>{"40", "100"}));
}

TEST(HostPianoRollTest, AFormatZeroRollGivesEachChannelALaneAndSpellsTheKey) {
    // Two channels of one track in B flat major, both through the plug-in, portamento on in
    // the second alone; a name that would run the heading off the picture.
    MidiTrack track{{MidiEvent::meta(0, 0x59, {0xFE, 0}), MidiEvent::meta(0, 0x03, {}),
                     MidiEvent::channelMessage(0, MidiEvent::controlChange | 1, 65, 127),
                     MidiEvent::channelMessage(0, MidiEvent::noteOn, 70, 100),
                     MidiEvent::channelMessage(0, MidiEvent::noteOn | 1, 63, 100),
                     MidiEvent::channelMessage(960, MidiEvent::noteOff, 70, 0),
                     MidiEvent::channelMessage(960, MidiEvent::noteOff | 1, 63, 0)},
                    960};
    track.events[1].payload = std::vector<std::uint8_t>(300, 'n');
    MidiFile file = fileOf(480, {track});
    file.format = 0;
    std::string svg = PianoRoll("t", "c").svg(file, {0b11});
    EXPECT_EQ(matches(svg, ">(CC 65 ch [0-9]+)<"),
              (std::vector<std::string>{"CC 65 ch 1", "CC 65 ch 2"}));
    EXPECT_EQ(matches(svg, "class=\"band-on\"[^>]*data-end=\"([0-9]+)\"").size(), 1u);
    EXPECT_EQ(matches(svg, "<title>([A-G]b?[0-9]),").size(), 2u);
    EXPECT_EQ(matches(svg, "<title>([A-G]#[0-9]),").size(), 0u);
    std::string heading = matches(svg, "class=\"heading\"[^>]*>([^<]+)<").at(0);
    EXPECT_NE(heading.find("channels 1-2, all through the plug-in"), std::string::npos);
    EXPECT_LT(heading.size(), 200u);
    EXPECT_GE(pictureWidth(svg), 7.0 * static_cast<double>(heading.size() - 60));
}

TEST(HostPianoRollTest, EveryRollOfAPictureNamesItsKeysOneWay) {
    MidiTrack wide{{on(0, 40), on(0, 80), off(480, 40), off(480, 80)}, 480};
    auto names = [](const std::string& svg) {
        return matches(svg, "class=\"key-name\"[^>]*>([A-G]#?)[0-9]<");
    };
    // Alone, a short range names every row; beside a wide one, its C alone, as the wide one.
    EXPECT_EQ(names(PianoRoll("t", "c").svg(fileOf(480, {run(480, 1920)}))).size(), 13u);
    EXPECT_EQ(names(PianoRoll("t", "c").svg(fileOf(480, {run(480, 1920), wide}))),
              std::vector<std::string>(1 + 3, "C"));
}

TEST(HostPianoRollTest, ThePictureOfSomeBarsHasTheKeysThatSoundInThem) {
    // Bar 3 holds E2, struck in bar 2, and C5; C2 ends and C7 starts at its edges.
    MidiTrack track{{on(0, 36), on(1920, 40), off(3840, 36), on(3840, 72), off(4320, 40),
                     off(4320, 72), on(5760, 96), off(6240, 96)},
                    6240};
    std::string svg = PianoRoll("t", "c", PianoRoll::BarRange{3, 3}).svg(fileOf(480, {track}));
    std::vector<std::string> rows = matches(svg, "<rect class=\"(white|black)\"");
    EXPECT_EQ(rows.size(), 72u - 40u + 3u);
    EXPECT_EQ(matches(svg, "class=\"key-name\"[^>]*>([A-G]#?[0-9])<").back(), "C3");
    // Only the notes that sound in the bar are drawn: E2 and C5.
    EXPECT_EQ(matches(svg, "<rect class=\"note [^\"]*\"[^>]*data-key=\"([0-9]+)\""),
              (std::vector<std::string>{"40", "72"}));
}

TEST(HostPianoRollTest, AGlideStartsFromTheKeyItsChannelLastStruckOnAnyTrack) {
    auto cc = [](std::uint32_t tick, std::uint8_t controller, std::uint8_t value) {
        return MidiEvent::channelMessage(tick, MidiEvent::controlChange, controller, value);
    };
    // Two staves on channel 1; only the first switches portamento on.
    MidiTrack lower{{cc(0, 65, 127), on(0, 48), off(960, 48), on(960, 52), off(1920, 52)}, 1920};
    MidiTrack upper{{on(480, 60), off(960, 60), on(960, 64), off(1200, 64), cc(1200, 65, 0),
                     cc(1300, 84, 55), on(1440, 67), off(1680, 67), on(1680, 69), off(1920, 69)},
                    1920};
    std::string svg = PianoRoll("t", "c").svg(fileOf(480, {lower, upper}));
    // At tick 960 the lower staff plays first; then, portamento off, controller 84 still
    // names the key to glide from, and the note after it is struck.
    EXPECT_EQ(matches(svg, "<title>([A-G]#?[0-9]), [^<]*glides from"),
              (std::vector<std::string>{"E3", "C4", "E4", "G4"}));
    EXPECT_EQ(matches(svg, "glides from ([A-G]#?[0-9])</title>"),
              (std::vector<std::string>{"C4", "C3", "E3", "G3"}));
}

} // namespace
} // namespace quorlin::host
