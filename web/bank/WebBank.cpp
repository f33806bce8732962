// The channel bank as a WebAssembly module with no imports: plain C functions around one
// ChannelBank per handle, for the web plug-in's processor and for anything else that loads the
// module. A message the bank asks for is one 32-bit word, the status in the low byte, then the
// first and the second data byte; the words of the last answer stay readable at
// quorlin_bank_messages until the next call on the same handle.
//
// Every function but create and destroy runs on the event path: none allocates, throws, blocks
// or calls out of the module. A null handle is answered with nothing: 0 messages, no effect.

#include "legato/ChannelBank.h"
#include "legato/PlayingRanges.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace quorlin::web {

namespace {

// A bank and the words of its last answer, in memory the caller reads directly.
struct WebBank {
    ChannelBank bank;
    std::array<std::uint32_t, ChannelBank::channelCount> messages{};
};

std::uint32_t wordOf(const ShortMessage& message) noexcept {
    return message.status | std::uint32_t{message.first} << 8 | std::uint32_t{message.second} << 16;
}

// Copies an answer of the bank to the handle's words; the count of messages.
template <class List> std::uint32_t keep(WebBank& web, const List& list) noexcept {
    for (std::size_t index = 0; index < list.size(); ++index) {
        web.messages[index] = wordOf(list[index]);
    }
    return static_cast<std::uint32_t>(list.size());
}

} // namespace

} // namespace quorlin::web

using quorlin::ShortMessage;
using quorlin::web::WebBank;

extern "C" {

// A new bank, started as a plug-in is at activation; null when memory runs out. Its memory comes
// from the module's own heap, which grows the module's memory: views of it must be made again.
__attribute__((export_name("quorlin_bank_create"))) WebBank* quorlin_bank_create() {
    void* memory = std::malloc(sizeof(WebBank));
    if (memory == nullptr) {
        return nullptr;
    }
    auto* web = new (memory) WebBank;
    web->bank.start();
    return web;
}

__attribute__((export_name("quorlin_bank_destroy"))) void quorlin_bank_destroy(WebBank* web) {
    if (web != nullptr) {
        web->~WebBank();
        std::free(web);
    }
}

// Where the words of the last answer are: ChannelBank::channelCount words at most.
__attribute__((export_name("quorlin_bank_messages"))) const std::uint32_t*
quorlin_bank_messages(const WebBank* web) noexcept {
    return web != nullptr ? web->messages.data() : nullptr;
}

__attribute__((export_name("quorlin_bank_set_speed"))) void
quorlin_bank_set_speed(WebBank* web, std::int32_t value) noexcept {
    if (web != nullptr) {
        web->bank.setSpeed(value);
    }
}

__attribute__((export_name("quorlin_bank_set_chord_window"))) void
quorlin_bank_set_chord_window(WebBank* web, double milliseconds) noexcept {
    if (web != nullptr) {
        web->bank.setChordWindow(milliseconds);
    }
}

__attribute__((export_name("quorlin_bank_set_position_rate"))) void
quorlin_bank_set_position_rate(WebBank* web, double positionsPerSecond) noexcept {
    if (web != nullptr) {
        web->bank.setPositionRate(positionsPerSecond);
    }
}

__attribute__((export_name("quorlin_bank_set_portamento_on_change"))) void
quorlin_bank_set_portamento_on_change(WebBank* web, std::int32_t onChange) noexcept {
    if (web != nullptr) {
        web->bank.setPortamentoOnChange(onChange != 0);
    }
}

// A control's value: rounded into 0..128, where 128 (and anything not a number) is no limit.
__attribute__((export_name("quorlin_bank_set_interval_limit"))) void
quorlin_bank_set_interval_limit(WebBank* web, double semitones) noexcept {
    if (web != nullptr) {
        web->bank.setIntervalLimit(quorlin::playing::intervalFromControl(semitones));
    }
}

__attribute__((export_name("quorlin_bank_set_glide_source"))) void
quorlin_bank_set_glide_source(WebBank* web, std::int32_t name) noexcept {
    if (web != nullptr) {
        web->bank.setGlideSource(name != 0);
    }
}

// Milliseconds, measured at the position rate as the chord window is.
__attribute__((export_name("quorlin_bank_set_legato_tolerance"))) void
quorlin_bank_set_legato_tolerance(WebBank* web, double milliseconds) noexcept {
    if (web != nullptr) {
        web->bank.setLegatoTolerance(milliseconds);
    }
}

__attribute__((export_name("quorlin_bank_start"))) void quorlin_bank_start(WebBank* web) noexcept {
    if (web != nullptr) {
        web->bank.start();
    }
}

__attribute__((export_name("quorlin_bank_stop"))) void quorlin_bank_stop(WebBank* web) noexcept {
    if (web != nullptr) {
        web->bank.stop();
    }
}

// A message of `size` bytes (1 to 3; only the first `size` of the three count) at `position`:
// the count of words to send right before it. Longer messages (sysex) need not be asked about:
// the bank answers them with nothing.
__attribute__((export_name("quorlin_bank_receive"))) std::uint32_t
quorlin_bank_receive(WebBank* web, std::uint32_t status, std::uint32_t first, std::uint32_t second,
                     std::uint32_t size, std::int32_t position, std::int32_t length) noexcept {
    if (web == nullptr || size == 0 || size > 3) {
        return 0;
    }
    const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(status),
                                   static_cast<std::uint8_t>(first),
                                   static_cast<std::uint8_t>(second)};
    return keep(*web, web->bank.receive(bytes, size, position, length));
}

__attribute__((export_name("quorlin_bank_position"))) std::uint32_t
quorlin_bank_position(WebBank* web, std::uint32_t channel) noexcept {
    return web != nullptr ? keep(*web, web->bank.position(static_cast<std::uint8_t>(channel))) : 0;
}

__attribute__((export_name("quorlin_bank_speeds_due"))) std::int32_t
quorlin_bank_speeds_due(const WebBank* web) noexcept {
    return web != nullptr && web->bank.speedsDue() ? 1 : 0;
}

__attribute__((export_name("quorlin_bank_due_speeds"))) std::uint32_t
quorlin_bank_due_speeds(WebBank* web) noexcept {
    return web != nullptr ? keep(*web, web->bank.dueSpeeds()) : 0;
}

// A word the bank asked for that could not go out: it is asked for again.
__attribute__((export_name("quorlin_bank_not_sent"))) void
quorlin_bank_not_sent(WebBank* web, std::uint32_t word) noexcept {
    if (web != nullptr) {
        web->bank.notSent(ShortMessage{static_cast<std::uint8_t>(word),
                                       static_cast<std::uint8_t>(word >> 8),
                                       static_cast<std::uint8_t>(word >> 16)});
    }
}

__attribute__((export_name("quorlin_bank_advance"))) void
quorlin_bank_advance(WebBank* web, std::int32_t now) noexcept {
    if (web != nullptr) {
        web->bank.advance(now);
    }
}

} // extern "C"
