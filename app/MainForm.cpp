#include "app/MainForm.h"

namespace tastiva {

MainForm::MainForm(MainWindow& window, MIDI_OUT& midiOut, MIDI_CMD& midiCmd, Desktop& desktop)
    : window_(window), midiOut_(midiOut), midiCmd_(midiCmd), desktop_(desktop) {}

void MainForm::Form_Load() {
  if (desktop_.PrevInstance()) {
    desktop_.End();
    return;
  }
  if (desktop_.Day() % 5 == 0) desktop_.ShowNotice();
  // Shown before the device opens: opening waits for the audio system and the SoundFont,
  // and the window need not.
  window_.ShowCentred();

  midiOut_.FillDeviceList(window_.List1());
  FillInstrumentList();
  midiOut_.CloseMidiOut();
  midiOut_.OpenMidiOut(0);
  window_.lst_sound_list().SetListIndex(0);
  // With nothing listed the window still opens, with no device; every send is then shown
  // as refused.
  if (window_.List1().ListCount() > 0) window_.List1().SetListIndex(0);
}

void MainForm::Form_QueryUnload(std::int16_t& /*cancel*/, std::int16_t /*unloadMode*/) {
  ExitProgram();
}

void MainForm::ExitProgram() {
  // The notes still sounding end as the device closes; unloading the window must not release
  // their keys again.
  heldKeyCodes_.clear();
  midiOut_.CloseMidiOut();
  window_.hide();
  desktop_.End();
}

void MainForm::FocusKey0() {
  window_.key(0).setFocus();
}

}  // namespace tastiva
