// Decoding the input bytes into identifiers, statuses, flags and view names.

#include "CallSequenceInput.h"

#include "legato/MidiProtocol.h"

#include <algorithm>
#include <cstring>

namespace quorlin::reliability {

using testing::SentEvent;

const std::array<const InterfaceId*, 14> knownIds{&UnknownInterfaceId,
                                                  &ModuleInterfaceId,
                                                  &ModuleInterfaceAltId,
                                                  &ParameterListenerInterfaceId,
                                                  &ParameterOwnerInterfaceId,
                                                  &SkinInterfaceId,
                                                  &SkinInterfaceAltId,
                                                  &AuxiliaryInterfaceId,
                                                  &ClassIdentityInterfaceId,
                                                  &FactoryInterfaceId,
                                                  &ParameterInterfaceId,
                                                  &ParameterNotifierInterfaceId,
                                                  &ParameterNotifierInterfaceAltId,
                                                  &HostMidiServicesId};

bool same(const InterfaceIdBytes& id, const InterfaceId& known) {
    return std::memcmp(id.bytes, known.data(), 16) == 0;
}

bool sameAny(const InterfaceIdBytes& id, std::initializer_list<const InterfaceId*> candidates) {
    return std::any_of(candidates.begin(), candidates.end(),
                       [&id](const InterfaceId* known) { return same(id, *known); });
}

InterfaceIdBytes readIdentifier(ByteReader& in) {
    InterfaceIdBytes id{};
    std::uint8_t kind = in.byte();
    switch (kind % 4) {
    case 0:
    case 1: {
        std::size_t index = in.byte() % (knownIds.size() + 1);
        std::memcpy(id.bytes, index < knownIds.size() ? knownIds[index]->data() : productClassId,
                    16);
        break;
    }
    case 2:
        std::memcpy(id.bytes, knownIds[in.byte() % knownIds.size()]->data(), 16);
        id.bytes[in.byte() % 16] ^= static_cast<std::uint8_t>(in.byte() | 1);
        break;
    default:
        in.bytes(id.bytes, 16);
        break;
    }
    return id;
}

int moduleInterfaceFor(const InterfaceIdBytes& id) {
    if (sameAny(id, {&UnknownInterfaceId, &ModuleInterfaceId, &ModuleInterfaceAltId})) {
        return 0;
    }
    if (sameAny(id, {&ParameterListenerInterfaceId, &ParameterOwnerInterfaceId})) {
        return 1;
    }
    if (sameAny(id, {&SkinInterfaceId, &SkinInterfaceAltId})) {
        return 2;
    }
    if (same(id, AuxiliaryInterfaceId)) {
        return 3;
    }
    return -1;
}

std::int32_t readStatus(ByteReader& in) {
    std::uint8_t kind = in.byte();
    switch (kind % 8) {
    case 0:
    case 1:
    case 2:
        return midi::statusNoteOn;
    case 3:
        return midi::statusNoteOff;
    case 4:
        return midi::statusController;
    case 5:
        return midi::statusNoteOn | ((kind >> 3) & midi::channelMask); // with channel bits
    case 6:
        return midi::statusNoteOff | ((kind >> 3) & midi::channelMask);
    default:
        return in.number();
    }
}

std::int32_t readImmediate(ByteReader& in) {
    std::uint8_t kind = in.byte();
    switch (kind % 8) {
    case 4:
        return 1;
    case 5:
        return 0x100; // only the low byte counts: not immediate
    case 6:
        return static_cast<std::int32_t>(0xFFFFFF01u);
    case 7:
        return in.number();
    default:
        return 0;
    }
}

std::string viewName(ByteReader& in) {
    static const std::array<const char*, 8> names{"editor",   "inspector",  "Editor", "inspector ",
                                                  "editor\n", "inspectorX", "edito",  ""};
    std::uint8_t kind = in.byte();
    return kind % 2 == 0 ? names[(kind / 2) % names.size()] : in.text();
}

std::string describe(const ExpectedSend& send) {
    return std::string(send.forward ? "forward" : "output") + " status " +
           std::to_string(send.status) + " data " + std::to_string(send.data1) + "," +
           std::to_string(send.data2) + " at " + std::to_string(send.position) + " immediate " +
           std::to_string(send.immediate) + (send.createdByModule ? " (module's)" : " (host's)");
}

ExpectedSend observed(const SentEvent& sent) {
    return {sent.path == "forward", sent.status,    sent.data1,          sent.data2,
            sent.position,          sent.immediate, sent.createdByModule};
}

} // namespace quorlin::reliability
