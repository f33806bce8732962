#pragma once

#include "legato/LegatoCore.h"
#include "module/MidiModuleBase.h"

#include <cstdint>

namespace quorlin {

// Lets the receiving synthesizer glide only when the player plays legato: before every
// note-on it sends controller 65 (127 while two or more keys are held, else 0), and it sends
// the portamentoSpeed parameter as controller 5 at the next position after a change or start.
// The decisions are the legato core's; this class makes the host calls around them, in the
// order hosts of the binary contract see them.
class QuorlinModule final : public MidiModuleBase {
public:
    static constexpr std::int32_t speedTag = 0;
    static constexpr const char* speedName = "portamentoSpeed";

    explicit QuorlinModule(const void* classIdBytes);
    ~QuorlinModule() override;

    ResultCode QUORLIN_CALL initialize(HostContext* context) noexcept override;
    ResultCode QUORLIN_CALL terminate() noexcept override;
    ResultCode QUORLIN_CALL processEvent(HostEvent* event) noexcept override;
    ResultCode QUORLIN_CALL processTime(std::int32_t position, std::int32_t second,
                                        std::int32_t immediate) noexcept override;
    ResultCode QUORLIN_CALL stop(std::int32_t value) noexcept override;
    ResultCode QUORLIN_CALL start(std::int32_t value) noexcept override;
    ResultCode QUORLIN_CALL parameterChanged(ParameterInterface* parameter,
                                             std::int32_t tag) noexcept override;

    const HeldNoteTable& heldNoteTable() const { return legato.heldNotes(); }

private:
    // Adds portamentoSpeed on the first initialize; false, with nothing added, when memory ran
    // out.
    bool addSpeedParameter() noexcept;
    HostEvent* createController(std::int32_t controller, std::int32_t value);
    // Positions, sends and releases a created controller; nothing when the host made none.
    void sendController(HostEvent* controller, std::int32_t position, bool immediate);
    ResultCode emitEvent(HostEvent* event, bool immediate);

    // Spans every channel: the binary contract's events are keyed by note number alone.
    LegatoCore legato;
};

} // namespace quorlin
