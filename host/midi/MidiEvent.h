#pragma once

#include "legato/MidiProtocol.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace quorlin::host {

// The bytes of a meta or system-exclusive event. Almost every event of a file has none, so
// they live behind a single pointer, which keeps an event at half the size a vector would make
// it: long files fit in half the memory. Copies are deep.
class MidiPayload {
public:
    MidiPayload() = default;
    MidiPayload(std::vector<std::uint8_t> bytes)
        : data(bytes.empty() ? nullptr
                             : std::make_unique<std::vector<std::uint8_t>>(std::move(bytes))) {}
    MidiPayload(std::initializer_list<std::uint8_t> bytes)
        : MidiPayload(std::vector<std::uint8_t>(bytes)) {}
    MidiPayload(const MidiPayload& other)
        : data(other.data ? std::make_unique<std::vector<std::uint8_t>>(*other.data) : nullptr) {}
    MidiPayload& operator=(const MidiPayload& other) {
        if (this != &other) {
            MidiPayload copy(other);
            data = std::move(copy.data);
        }
        return *this;
    }
    MidiPayload(MidiPayload&&) noexcept = default;
    MidiPayload& operator=(MidiPayload&&) noexcept = default;
    ~MidiPayload() = default;

    std::size_t size() const { return data ? data->size() : 0; }
    bool empty() const { return size() == 0; }
    std::uint8_t operator[](std::size_t index) const { return (*data)[index]; }
    const std::uint8_t* begin() const { return data ? data->data() : nullptr; }
    const std::uint8_t* end() const { return data ? data->data() + data->size() : nullptr; }

    bool operator==(const MidiPayload& other) const {
        return std::equal(begin(), end(), other.begin(), other.end());
    }

private:
    std::unique_ptr<std::vector<std::uint8_t>> data;
};

// One event of a track at an absolute tick. The status byte tells the kind: 0x80..0xEF channel
// messages (data1, data2), 0xFF meta events (data1 holds the meta type), 0xF0 system-exclusive
// and 0xF7 escapes; meta and system-exclusive bytes after the length sit in `payload`.
struct MidiEvent {
    static constexpr std::uint8_t metaStatus = midi::statusMeta;
    static constexpr std::uint8_t sysExStatus = midi::statusSysEx;
    static constexpr std::uint8_t escapeStatus = midi::statusSysExContinuation;
    static constexpr std::uint8_t noteOff = midi::statusNoteOff;
    static constexpr std::uint8_t noteOn = midi::statusNoteOn;
    static constexpr std::uint8_t controlChange = midi::statusController;
    static constexpr std::uint8_t endOfTrackType = midi::metaEndOfTrack;
    static constexpr std::uint8_t tempoType = midi::metaTempo;

    std::uint32_t tick = 0;
    std::uint8_t status = 0;
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
    MidiPayload payload;

    static MidiEvent channelMessage(std::uint32_t tick, std::uint8_t status, std::uint8_t data1,
                                    std::uint8_t data2 = 0) {
        return MidiEvent{
            tick, status, data1, hasSecondDataByte(status) ? data2 : std::uint8_t{0}, {}};
    }
    static MidiEvent meta(std::uint32_t tick, std::uint8_t type, std::vector<std::uint8_t> bytes) {
        return MidiEvent{tick, metaStatus, type, 0, std::move(bytes)};
    }

    bool isChannelMessage() const { return status >= noteOff && status < sysExStatus; }
    bool isMeta() const { return status == metaStatus; }
    std::uint8_t command() const { return status & midi::statusKindMask; }
    std::uint8_t channel() const { return status & midi::channelMask; }
    std::uint8_t metaType() const { return data1; }
    bool isNoteOn() const { return isChannelMessage() && command() == noteOn && data2 != 0; }
    // A note-on with velocity 0 ends a note just as a note-off does.
    bool isNoteOff() const {
        return isChannelMessage() && (command() == noteOff || (command() == noteOn && data2 == 0));
    }
    bool isNote() const {
        return isChannelMessage() && (command() == noteOff || command() == noteOn);
    }

    // Program change and channel pressure carry one data byte, every other channel message two.
    static bool hasSecondDataByte(std::uint8_t status) {
        std::uint8_t kind = status & midi::statusKindMask;
        return kind != midi::statusProgramChange && kind != midi::statusChannelPressure;
    }

    bool operator==(const MidiEvent&) const = default;
};

} // namespace quorlin::host
