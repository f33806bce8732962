// Drives the native channel bank through a script made from one file and prints each step with
// the bank's answer, one line each, for the web suite to replay on the WebAssembly bank:
//   quorlin-bank-trace FILE | --demo
// The demo phrase (--demo) or a Standard MIDI File gives its channel messages at their ticks; any
// other file is read as groups of four bytes (a step of time, a status, two data bytes), malformed
// messages included. The script runs under every combination of speed, chord window and controller
// 65 on change, turns glide source, interval limit and legato tolerance through their combinations
// on the way, and changes the speed, stops and starts, asks for positions and loses messages.
#include "host/DemoPhrase.h"
#include "host/midi/MidiFile.h"
#include "legato/ChannelBank.h"
#include "legato/PlayingRanges.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>
#include <vector>

namespace {

using quorlin::ChannelBank;

struct Message {
    std::int32_t position;
    std::uint8_t bytes[3];
    std::uint32_t size;
};

std::vector<Message> messagesOf(const std::vector<std::uint8_t>& file) {
    std::vector<Message> messages;
    try {
        for (const auto& track : quorlin::host::MidiFile::parse(file).tracks) {
            for (const auto& event : track.events) {
                if (event.isChannelMessage()) {
                    std::uint32_t kind = event.status & 0xF0u;
                    messages.push_back({static_cast<std::int32_t>(event.tick),
                                        {event.status, event.data1, event.data2},
                                        kind == 0xC0 || kind == 0xD0 ? 2u : 3u});
                }
            }
        }
        std::stable_sort(messages.begin(), messages.end(), [](const Message& a, const Message& b) {
            return a.position < b.position;
        });
    } catch (const quorlin::host::MidiFileError&) {
        std::int32_t position = 0;
        for (std::size_t at = 0; at + 4 <= file.size(); at += 4) {
            position += file[at] & 0x3F;
            messages.push_back({position,
                                {file[at + 1], file[at + 2], file[at + 3]},
                                (file[at] & 0x40) ? 2u : 3u});
        }
    }
    return messages;
}

template <class List> void print(const List& list) {
    std::printf(" |");
    for (std::size_t index = 0; index < list.size(); ++index) {
        std::printf(" %02x%02x%02x", list[index].second, list[index].first, list[index].status);
    }
    std::printf("\n");
}

void run(const std::vector<Message>& messages, int speed, int window, int onChange) {
    auto bank = std::make_unique<ChannelBank>();
    bank->start();
    std::printf("create\nrate 960\nspeed %d\nwindow %d\nonchange %d\n", speed, window, onChange);
    bank->setPositionRate(960);
    bank->setSpeed(speed);
    bank->setChordWindow(window);
    bank->setPortamentoOnChange(onChange != 0);
    for (std::size_t index = 0; index < messages.size(); ++index) {
        const Message& message = messages[index];
        if (index % 7 == 3) {
            int changed = static_cast<int>(index * 5 % 129) - 1;
            std::printf("speed %d\ndue", changed);
            bank->setSpeed(changed);
            print(bank->dueSpeeds());
        }
        if (index % 3 == 1) {
            int turn = static_cast<int>(index / 3 % 8);
            int interval = (turn & 2) != 0 ? 7 : quorlin::playing::intervalLimitNone;
            int tolerance = (turn & 4) != 0 ? 20 : 0;
            std::printf("glide %d\ninterval %d\ntolerance %d\n", turn & 1, interval, tolerance);
            bank->setGlideSource((turn & 1) != 0);
            bank->setIntervalLimit(interval);
            bank->setLegatoTolerance(tolerance);
        }
        if (index % 11 == 5) {
            std::printf("position %d", message.bytes[0] & 0x0F);
            print(bank->position(message.bytes[0] & 0x0F));
        }
        if (index % 13 == 9) {
            std::printf("stop\nstart\ndue");
            bank->stop();
            bank->start();
            print(bank->dueSpeeds());
        }
        std::printf("advance %d\nreceive %d %d %d %d %u", message.position, message.position,
                    message.bytes[0], message.bytes[1], message.bytes[2], message.size);
        bank->advance(message.position);
        ChannelBank::Before before = bank->receive(message.bytes, message.size, message.position);
        print(before);
        if (index % 17 == 0 && !before.empty()) {
            std::printf("notsent %u\n", before[0].status | before[0].first << 8u |
                                            static_cast<unsigned>(before[0].second) << 16u);
            bank->notSent(before[0]);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quorlin-bank-trace FILE | --demo\n");
        return 2;
    }
    std::vector<std::uint8_t> file;
    if (std::string_view(argv[1]) == "--demo") {
        file = quorlin::host::demoPhrase().serialize();
    } else {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "quorlin-bank-trace: cannot read %s\n", argv[1]);
            return 1;
        }
        file.assign(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<Message> messages = messagesOf(file);
    for (int speed : {-1, 40}) {
        for (int window : {0, 30}) {
            for (int onChange : {0, 1}) {
                run(messages, speed, window, onChange);
            }
        }
    }
    return 0;
}
