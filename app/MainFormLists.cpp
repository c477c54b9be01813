#include "app/InstrumentNames.h"
#include "app/MainForm.h"
#include "base/Checked.h"

namespace tastiva {

namespace {
constexpr std::int16_t kChannel = 0;
constexpr std::int16_t kBank = 0;
}  // namespace

void MainForm::FillInstrumentList() {
  for (std::string_view name : InstrumentNames) {
    window_.lst_sound_list().AddItem(std::string(name));
  }
}

void MainForm::lst_sound_list_Click() {
  midiCmd_.ProgramChange(kChannel, kBank, window_.lst_sound_list().ListIndex());
}

void MainForm::lst_sound_list_KeyDown(std::int16_t&, std::int16_t&) {
  FocusKey0();
}

void MainForm::lst_sound_list_MouseDown(std::int16_t, std::int16_t, float, float) {
  FocusKey0();
}

void MainForm::List1_Click() {
  ListBox& devices = window_.List1();
  // A selection event with nothing selected changes nothing.
  if (devices.ListIndex() == -1) return;
  midiOut_.CloseMidiOut();
  const auto id = checked::Narrow<std::int16_t>(devices.ItemData(devices.ListIndex()),
                                                "List1_Click: device identifier");
  midiOut_.OpenMidiOut(id);
  midiCmd_.ProgramChange(kChannel, kBank, window_.lst_sound_list().ListIndex());
}

void MainForm::List1_KeyDown(std::int16_t&, std::int16_t&) {
  FocusKey0();
}

void MainForm::List1_MouseDown(std::int16_t, std::int16_t, float, float) {
  FocusKey0();
}

}  // namespace tastiva
