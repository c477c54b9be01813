#pragma once

#include "midi/MidiPlatform.h"

namespace tastiva {

// The Windows multimedia MIDI output service, called directly in its ANSI forms.
class WinmmPlatform final : public MidiPlatform {
 public:
  std::uint32_t midiOutGetNumDevs() override;
  MidiResult midiOutGetDevCapsA(std::uint32_t deviceId, MidiOutCaps* caps,
                                std::uint32_t size) override;
  MidiResult midiOutOpen(MidiHandle* handle, std::uint32_t deviceId, std::uintptr_t callback,
                         std::uintptr_t instance, std::uint32_t flags) override;
  MidiResult midiOutClose(MidiHandle handle) override;
  MidiResult midiOutShortMsg(MidiHandle handle, std::uint32_t message) override;
  MidiResult midiOutGetErrorTextA(MidiResult code, char* text, std::uint32_t size) override;
};

}  // namespace tastiva
