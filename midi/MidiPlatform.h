#pragma once

#include <cstdint>

namespace tastiva {

// Result of a MIDI platform call: 0 is success, anything else an error code
// numbered as winmm numbers them (see MidiResults.h).
using MidiResult = std::int16_t;

// A platform output handle; 0 means no device.
using MidiHandle = std::uintptr_t;

// Identifier of the platform's MIDI mapper (-1 widened to 32 bits).
inline constexpr std::uint32_t MIDI_MAPPER = 0xFFFFFFFFu;

// Capabilities record, laid out as winmm's MIDIOUTCAPSA (52 bytes).
struct MidiOutCaps {
  std::uint16_t wMid = 0;
  std::uint16_t wPid = 0;
  std::uint32_t vDriverVersion = 0;
  char szPname[32] = {};
  std::uint16_t wTechnology = 0;
  std::uint16_t wVoices = 0;
  std::uint16_t wNotes = 0;
  std::uint16_t wChannelMask = 0;
  std::uint32_t dwSupport = 0;
};
static_assert(sizeof(MidiOutCaps) == 52, "MidiOutCaps must match MIDIOUTCAPSA");

inline constexpr std::uint16_t MOD_MIDIPORT = 1;
inline constexpr std::uint16_t MOD_SYNTH = 2;
inline constexpr std::uint16_t MOD_SWSYNTH = 7;

// The six MIDI output calls the program uses, shaped after winmm's ANSI forms.
// Every backend (winmm, the desktop devices, the test recorder) implements it.
class MidiPlatform {
 public:
  virtual ~MidiPlatform() = default;

  virtual std::uint32_t midiOutGetNumDevs() = 0;
  virtual MidiResult midiOutGetDevCapsA(std::uint32_t deviceId, MidiOutCaps* caps,
                                        std::uint32_t size) = 0;
  virtual MidiResult midiOutOpen(MidiHandle* handle, std::uint32_t deviceId,
                                 std::uintptr_t callback, std::uintptr_t instance,
                                 std::uint32_t flags) = 0;
  virtual MidiResult midiOutClose(MidiHandle handle) = 0;
  virtual MidiResult midiOutShortMsg(MidiHandle handle, std::uint32_t message) = 0;
  // Writes a NUL-terminated description of code into text (size bytes).
  virtual MidiResult midiOutGetErrorTextA(MidiResult code, char* text, std::uint32_t size) = 0;
};

}  // namespace tastiva
