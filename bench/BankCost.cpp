// The native channel bank's cost per message on the stream that bench/web_bank_cost.mjs also
// plays on the WebAssembly bank, so both figures come from one run on one machine:
//   quorlin_bank_cost EVENTS REPETITIONS
// prints the fastest pass in nanoseconds per message and the count of messages the bank asked
// for, which the script compares with the WebAssembly bank's.
#include "legato/ChannelBank.h"
#include "legato/MidiProtocol.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

struct Message {
    std::uint8_t bytes[3];
    std::int32_t position;
};

// Sixteen channels in turn, each a legato line: a note-on, then the note-off of the key before
// the one still held, so every note-on but the first finds a key held. The script builds the
// same stream.
std::vector<Message> streamOf(std::int32_t count) {
    std::vector<Message> stream;
    stream.reserve(static_cast<std::size_t>(count));
    auto key = [](std::int32_t index) {
        return static_cast<std::uint8_t>(48 + (index % 24 + 24) % 24);
    };
    for (std::int32_t index = 0; index < count; ++index) {
        auto channel = static_cast<std::uint8_t>(index & quorlin::midi::channelMask);
        std::int32_t step = index >> 4;
        if (step % 2 == 0) {
            stream.push_back({{static_cast<std::uint8_t>(quorlin::midi::statusNoteOn | channel),
                               key(step / 2), 90},
                              index * 10});
        } else {
            stream.push_back({{static_cast<std::uint8_t>(quorlin::midi::statusNoteOff | channel),
                               key((step - 1) / 2 - 1), 0},
                              index * 10});
        }
    }
    return stream;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: quorlin_bank_cost EVENTS REPETITIONS\n");
        return 2;
    }
    std::vector<Message> stream = streamOf(std::atoi(argv[1]));
    int repetitions = std::atoi(argv[2]);
    double best = 0.0;
    std::size_t asked = 0;
    for (int repetition = 0; repetition < repetitions; ++repetition) {
        auto bank = std::make_unique<quorlin::ChannelBank>();
        bank->start();
        bank->setSpeed(40);
        asked = 0;
        auto begin = std::chrono::steady_clock::now();
        for (const Message& message : stream) {
            asked += bank->receive(message.bytes, 3, message.position).size();
        }
        std::chrono::duration<double, std::nano> spent = std::chrono::steady_clock::now() - begin;
        double perMessage = spent.count() / static_cast<double>(stream.size());
        best = repetition == 0 || perMessage < best ? perMessage : best;
    }
    std::printf("%.2f %zu\n", best, asked);
    return 0;
}
