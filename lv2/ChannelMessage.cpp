#include "lv2/ChannelMessage.h"

#include "component/MidiProtocol.h"

namespace quorlin::lv2 {

namespace {

constexpr std::int32_t statusBit = 0x80;

bool isChannelKind(std::int32_t kind) noexcept {
    return kind >= midi::statusNoteOff && kind <= midi::statusPitchBend &&
           (kind & midi::channelMask) == 0;
}

bool isDataByte(std::int32_t value) noexcept {
    return value >= 0 && value <= midi::dataMax;
}

} // namespace

std::uint32_t ChannelMessage::lengthOfKind(std::int32_t kind) noexcept {
    return kind == midi::statusProgramChange || kind == midi::statusChannelPressure ? 2 : 3;
}

ChannelMessage ChannelMessage::parse(const std::uint8_t* bytes, std::uint32_t size) noexcept {
    ChannelMessage message;
    if (bytes == nullptr || size == 0) {
        return message;
    }
    std::int32_t kind = bytes[0] & midi::statusKindMask;
    if ((bytes[0] & statusBit) == 0 || !isChannelKind(kind) || size != lengthOfKind(kind)) {
        return message;
    }
    for (std::uint32_t index = 1; index < size; ++index) {
        if (!isDataByte(bytes[index])) {
            return message;
        }
    }
    for (std::uint32_t index = 0; index < size; ++index) {
        message.raw[index] = bytes[index];
    }
    message.length = size;
    return message;
}

ChannelMessage ChannelMessage::of(const HostEvent& event) noexcept {
    ChannelMessage message;
    if (!isChannelKind(event.status) || !isDataByte(event.data1) || event.channel < 0 ||
        event.channel >= midi::channelCount) {
        return message;
    }
    std::uint32_t size = lengthOfKind(event.status);
    if (size == 3 && !isDataByte(event.data2)) {
        return message;
    }
    message.raw[0] = static_cast<std::uint8_t>(event.status | event.channel);
    message.raw[1] = static_cast<std::uint8_t>(event.data1);
    message.raw[2] = size == 3 ? static_cast<std::uint8_t>(event.data2) : 0;
    message.length = size;
    return message;
}

std::int32_t ChannelMessage::kind() const noexcept {
    return raw[0] & midi::statusKindMask;
}

std::uint8_t ChannelMessage::channel() const noexcept {
    return static_cast<std::uint8_t>(raw[0] & midi::channelMask);
}

HostEvent ChannelMessage::event(std::int32_t position) const noexcept {
    HostEvent result;
    result.status = kind();
    result.data1 = raw[1];
    result.data2 = length == 3 ? raw[2] : 0;
    result.position = position;
    result.channel = channel();
    return result;
}

} // namespace quorlin::lv2
