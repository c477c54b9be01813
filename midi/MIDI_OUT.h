#pragma once

#include <cstdint>

#include "midi/MidiPlatform.h"
#include "base/ListControl.h"
#include "base/MessageBox.h"

namespace tastiva {

// Owns the one open MIDI output handle: lists, opens and closes devices, packs and sends
// short messages, and shows every refused MIDI call to the user.
class MIDI_OUT {
 public:
  MIDI_OUT(MidiPlatform& platform, MessageBox& messageBox);

  // The open output handle; 0 while no device is open.
  MidiHandle hMidiOut() const { return hMidiOut_; }

  // Lists the mapper (when the platform describes it) and every device that answers its
  // capabilities query; each entry carries its device identifier as ItemData.
  void FillDeviceList(ListControl& list);
  // Closes what is open, then opens the device; true when a device is open afterwards.
  bool OpenMidiOut(std::int16_t deviceId);
  void CloseMidiOut();
  // Shows the MIDI error box for a refused call and returns when the user closed it.
  void ShowMidiError(std::int16_t code);

  // status + data1 * 256 + data2 * 65536, each step overflow-checked. Nothing is masked.
  static std::int32_t PackShortMessage(std::int16_t status, std::int16_t data1, std::int16_t data2);
  void SendShortMessage(std::int16_t status, std::int16_t data1, std::int16_t data2);

 private:
  MidiPlatform& platform_;
  MessageBox& messageBox_;
  MidiHandle hMidiOut_ = 0;
};

}  // namespace tastiva
