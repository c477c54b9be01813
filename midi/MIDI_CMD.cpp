#include "midi/MIDI_CMD.h"

#include "base/Checked.h"

namespace tastiva {

namespace {
constexpr std::int16_t kNoteOn = 0x90;
constexpr std::int16_t kControlChange = 0xB0;
constexpr std::int16_t kProgramChange = 0xC0;
constexpr std::int16_t kBankSelect = 0;
}  // namespace

void MIDI_CMD::NoteOn(std::int16_t channel, std::int16_t note, std::int16_t velocity) {
  midiOut_.SendShortMessage(checked::Add16(kNoteOn, channel, "NoteOn: status + channel"), note,
                            velocity);
}

void MIDI_CMD::NoteOff(std::int16_t channel, std::int16_t note) {
  midiOut_.SendShortMessage(checked::Add16(kNoteOn, channel, "NoteOff: status + channel"), note, 0);
}

void MIDI_CMD::ControlChange(std::int16_t channel, std::int16_t controller, std::int16_t value) {
  midiOut_.SendShortMessage(
      checked::Add16(kControlChange, channel, "ControlChange: status + channel"), controller,
      value);
}

void MIDI_CMD::ProgramChange(std::int16_t channel, std::int16_t bank, std::int16_t program) {
  ControlChange(channel, kBankSelect, bank);
  midiOut_.SendShortMessage(
      checked::Add16(kProgramChange, channel, "ProgramChange: status + channel"), program, 0);
}

}  // namespace tastiva
