#include <algorithm>

#include "app/MainForm.h"
#include "app/NoteMap.h"
#include "base/Checked.h"
#include "ui/Layout.h"

namespace tastiva {

namespace {
constexpr std::int16_t kChannel = 0;
constexpr std::int16_t kVelocity = 127;
constexpr std::int16_t kNoteOffset = layout::kFirstNote;

bool IsOne(const Variant16& v) {
  return v.value_or(0) == 1;
}

std::int16_t NoteOf(std::int16_t index) {
  return checked::Add16(index, kNoteOffset, "note of key");
}
}  // namespace

// Keys send their own note, i + 53: the note of the computer key looked up last could
// belong to another key when mouse and keyboard play at once.
void MainForm::PressKey(std::int16_t index) {
  if (index == -1) return;
  KeyButton& key = window_.key(index);
  if (key.Value() == 1) return;
  key.SetValue(1);
  if (IsOne(PlayedByMouse_)) return;
  midiCmd_.NoteOn(kChannel, NoteOf(index), kVelocity);
}

void MainForm::ReleaseKey(std::int16_t index) {
  if (index == -1) return;
  window_.key(index).SetValue(0);
  if (IsOne(PlayedByMouse_)) return;
  midiCmd_.NoteOff(kChannel, NoteOf(index));
}

Variant16 MainForm::KeyCodeToIndex(std::int16_t keyCode) {
  Variant16 result = -1;
  CurrentKey_ = -1;
  const auto* found = std::find(kNoteMap.begin(), kNoteMap.end(), keyCode);
  if (found != kNoteMap.end()) {
    result = static_cast<std::int16_t>(found - kNoteMap.begin());
    CurrentKey_ = result;
  }
  return result;
}

void MainForm::key_KeyDown(std::int16_t, std::int16_t keyCode, std::int16_t) {
  FocusKey0();
  PlayedByMouse_ = 0;
  const std::int16_t index = KeyCodeToIndex(keyCode).value_or(0);
  if (index != -1) heldKeyCodes_.insert(keyCode);
  PressKey(index);
}

void MainForm::key_KeyUp(std::int16_t, std::int16_t keyCode, std::int16_t) {
  PlayedByMouse_ = 0;
  const std::int16_t index = KeyCodeToIndex(keyCode).value_or(0);
  heldKeyCodes_.erase(keyCode);
  ReleaseKey(index);
}

void MainForm::key_MouseDown(std::int16_t index, std::int16_t, std::int16_t, float, float) {
  FocusKey0();
  PlayedByMouse_ = 1;
  PressKey(index);
  midiCmd_.NoteOn(kChannel, NoteOf(index), kVelocity);
}

void MainForm::key_MouseMove(std::int16_t, std::int16_t, std::int16_t, float, float) {}

void MainForm::key_MouseUp(std::int16_t index, std::int16_t, std::int16_t, float, float) {
  ReleaseKey(index);
  midiCmd_.NoteOff(kChannel, NoteOf(index));
}

// Key-ups of keys held while another window takes the keyboard never arrive here:
// release them now so no note is left sounding.
void MainForm::Form_Deactivate() {
  const std::set<std::int16_t> held = std::move(heldKeyCodes_);
  heldKeyCodes_.clear();
  for (std::int16_t keyCode : held) key_KeyUp(0, keyCode, 0);
}

}  // namespace tastiva
