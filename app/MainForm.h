#pragma once

#include <cstdint>
#include <optional>
#include <set>

#include "base/Desktop.h"
#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "ui/MainWindow.h"
#include "ui/MainWindowEvents.h"

namespace tastiva {

// A window-level variable that starts empty; empty compares and converts as 0.
using Variant16 = std::optional<std::int16_t>;

// The behaviour of the main window: start-up and shutdown, the lists, and playing the keys.
class MainForm final : public MainWindowEvents {
 public:
  MainForm(MainWindow& window, MIDI_OUT& midiOut, MIDI_CMD& midiCmd, Desktop& desktop);

  // Start-up and shutdown.
  void Form_Load();
  void Form_QueryUnload(std::int16_t& cancel, std::int16_t unloadMode) override;
  void ExitProgram();

  // Instruments and devices.
  void FillInstrumentList();
  void lst_sound_list_Click() override;
  void lst_sound_list_KeyDown(std::int16_t& keyCode, std::int16_t& shift) override;
  void lst_sound_list_MouseDown(std::int16_t button, std::int16_t shift, float x, float y) override;
  void List1_Click() override;
  void List1_KeyDown(std::int16_t& keyCode, std::int16_t& shift) override;
  void List1_MouseDown(std::int16_t button, std::int16_t shift, float x, float y) override;

  // Playing.
  void PressKey(std::int16_t index);
  void ReleaseKey(std::int16_t index);
  Variant16 KeyCodeToIndex(std::int16_t keyCode);
  void key_KeyDown(std::int16_t index, std::int16_t keyCode, std::int16_t shift) override;
  void key_KeyUp(std::int16_t index, std::int16_t keyCode, std::int16_t shift) override;
  void key_MouseDown(std::int16_t index, std::int16_t button, std::int16_t shift, float x,
                     float y) override;
  void key_MouseMove(std::int16_t index, std::int16_t button, std::int16_t shift, float x,
                     float y) override;
  void key_MouseUp(std::int16_t index, std::int16_t button, std::int16_t shift, float x,
                   float y) override;
  void Form_Deactivate() override;

  const Variant16& CurrentKey() const { return CurrentKey_; }
  const Variant16& PlayedByMouse() const { return PlayedByMouse_; }

 private:
  void FocusKey0();

  MainWindow& window_;
  MIDI_OUT& midiOut_;
  MIDI_CMD& midiCmd_;
  Desktop& desktop_;

  Variant16 CurrentKey_;
  Variant16 PlayedByMouse_;
  // Mapped computer keys down now, to release them when the window loses the keyboard.
  std::set<std::int16_t> heldKeyCodes_;
};

}  // namespace tastiva
