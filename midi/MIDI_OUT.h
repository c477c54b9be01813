#pragma once

#include <array>
#include <bitset>
#include <cstdint>

#include "base/ListControl.h"
#include "base/MessageBox.h"
#include "midi/MidiPlatform.h"

namespace tastiva {

// Owns the one open MIDI output handle: lists, opens and closes devices, packs and sends
// short messages, and shows every refused MIDI call to the user. The notes it started on the
// open device and has not ended are ended there before the device is closed, so that none
// sounds for good after a close, a device switch or the program's end.
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
  // Sends the open device a note-off for each note still sounding on it, then closes it.
  void CloseMidiOut();
  // Shows the MIDI error box for a refused call and returns when the user closed it.
  void ShowMidiError(std::int16_t code);

  // status + data1 * 256 + data2 * 65536, each step overflow-checked. Nothing is masked.
  static std::int32_t PackShortMessage(std::int16_t status, std::int16_t data1, std::int16_t data2);
  void SendShortMessage(std::int16_t status, std::int16_t data1, std::int16_t data2);

 private:
  MidiPlatform& platform_;
  MessageBox& messageBox_;
  void Track(std::int32_t word);

  MidiHandle hMidiOut_ = 0;
  // Per channel, the notes whose note-on the open device took and whose note-off it has not.
  std::array<std::bitset<128>, 16> sounding_;
};

}  // namespace tastiva
