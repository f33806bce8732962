#pragma once

#include <cstdint>

// The numbers of the MIDI protocol that the plug-in and its hosts speak, named once.
namespace quorlin::midi {

// Channel message kinds: the status byte without its channel bits.
inline constexpr std::int32_t statusNoteOff = 0x80;         // 128
inline constexpr std::int32_t statusNoteOn = 0x90;          // 144
inline constexpr std::int32_t statusPolyPressure = 0xA0;    // 160
inline constexpr std::int32_t statusController = 0xB0;      // 176
inline constexpr std::int32_t statusProgramChange = 0xC0;   // 192
inline constexpr std::int32_t statusChannelPressure = 0xD0; // 208
inline constexpr std::int32_t statusPitchBend = 0xE0;       // 224

// System messages and file events.
inline constexpr std::int32_t statusSysEx = 0xF0;
inline constexpr std::int32_t statusSysExContinuation = 0xF7;
inline constexpr std::int32_t statusTimingClock = 0xF8;
inline constexpr std::int32_t statusMeta = 0xFF;

inline constexpr std::int32_t statusKindMask = 0xF0;
inline constexpr std::int32_t channelMask = 0x0F;
inline constexpr std::int32_t channelCount = 16;
inline constexpr std::int32_t dataMax = 127;
inline constexpr std::int32_t dataMask = 0x7F;

// Controllers.
inline constexpr std::int32_t controllerPortamentoTime = 5;
inline constexpr std::int32_t controllerPortamento = 65;
inline constexpr std::int32_t portamentoOn = 127;
inline constexpr std::int32_t portamentoOff = 0;
// Portamento Control: the key the next note-on glides from.
inline constexpr std::int32_t controllerPortamentoControl = 84;
// Channel mode messages: controllers 120 to 127.
inline constexpr std::int32_t controllerAllSoundOff = 120;
inline constexpr std::int32_t controllerResetAllControllers = 121;
inline constexpr std::int32_t controllerAllNotesOff = 123;
inline constexpr std::int32_t controllerPolyModeOn = 127; // the last mode message

// All Sound Off, All Notes Off and the mode messages that follow it (Omni off and on, Mono,
// Poly) end every note sounding on the channel; Reset All Controllers and Local Control do not.
constexpr bool endsAllNotes(std::int32_t controller) {
    return controller == controllerAllSoundOff ||
           (controller >= controllerAllNotesOff && controller <= controllerPolyModeOn);
}

// Meta event types of Standard MIDI Files.
inline constexpr std::int32_t metaText = 0x01;
inline constexpr std::int32_t metaCopyright = 0x02;
inline constexpr std::int32_t metaTrackName = 0x03;
inline constexpr std::int32_t metaInstrumentName = 0x04;
inline constexpr std::int32_t metaLyric = 0x05;
inline constexpr std::int32_t metaMarker = 0x06;
inline constexpr std::int32_t metaEndOfTrack = 0x2F;
inline constexpr std::int32_t metaTempo = 0x51;
inline constexpr std::int32_t metaTimeSignature = 0x58;

// The General MIDI drum channel, counted from 0 (channel 10 to a player).
inline constexpr std::int32_t drumChannel = 9;

} // namespace quorlin::midi
