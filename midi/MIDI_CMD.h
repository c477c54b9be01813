#pragma once

#include <cstdint>

#include "midi/MIDI_OUT.h"

namespace tastiva {

// The channel messages the program sends, each through MIDI_OUT::SendShortMessage.
class MIDI_CMD {
 public:
  explicit MIDI_CMD(MIDI_OUT& midiOut) : midiOut_(midiOut) {}

  void NoteOn(std::int16_t channel, std::int16_t note, std::int16_t velocity);
  // A note-on with velocity 0; status 0x80 is never sent.
  void NoteOff(std::int16_t channel, std::int16_t note);
  void ControlChange(std::int16_t channel, std::int16_t controller, std::int16_t value);
  // Bank select (controller 0) and then the program change; the second is sent even when
  // the first was refused.
  void ProgramChange(std::int16_t channel, std::int16_t bank, std::int16_t program);

 private:
  MIDI_OUT& midiOut_;
};

}  // namespace tastiva
