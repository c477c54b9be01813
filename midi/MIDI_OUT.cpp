#include "midi/MIDI_OUT.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "base/Checked.h"

namespace tastiva {

namespace {

constexpr std::uint32_t kCapsSize = sizeof(MidiOutCaps);
constexpr std::uint32_t kErrorTextSize = 128;
constexpr const char* kAppTitle = "Tastiva";

// The whole name field; the list shows it up to its first NUL.
std::string NameField(const MidiOutCaps& caps) {
  return std::string(caps.szPname, sizeof caps.szPname);
}

}  // namespace

MIDI_OUT::MIDI_OUT(MidiPlatform& platform, MessageBox& messageBox)
    : platform_(platform), messageBox_(messageBox) {}

void MIDI_OUT::FillDeviceList(ListControl& list) {
  list.Clear();

  MidiOutCaps caps;
  if (platform_.midiOutGetDevCapsA(MIDI_MAPPER, &caps, kCapsSize) == 0) {
    list.AddItem(NameField(caps));
    list.SetItemData(list.NewIndex(), -1);
  }

  // The platform's count, taken as its low 16 bits.
  const auto count = static_cast<std::int16_t>(platform_.midiOutGetNumDevs() & 0xFFFF);
  const std::int16_t last = checked::Sub16(count, 1, "FillDeviceList: device count - 1");
  for (std::int16_t id = 0; id <= last; id = checked::Add16(id, 1, "FillDeviceList: id + 1")) {
    caps = MidiOutCaps{};
    if (platform_.midiOutGetDevCapsA(static_cast<std::uint32_t>(id), &caps, kCapsSize) == 0) {
      list.AddItem(NameField(caps));
      list.SetItemData(list.NewIndex(), id);
    }
  }
}

bool MIDI_OUT::OpenMidiOut(std::int16_t deviceId) {
  CloseMidiOut();
  // Widened with its sign: -1 becomes the mapper's 0xFFFFFFFF.
  const auto platformId = static_cast<std::uint32_t>(static_cast<std::int32_t>(deviceId));
  const MidiResult code = platform_.midiOutOpen(&hMidiOut_, platformId, 0, 0, 0);
  if (code != 0) ShowMidiError(code);
  return hMidiOut_ != 0;
}

void MIDI_OUT::CloseMidiOut() {
  if (hMidiOut_ == 0) return;
  // Exactly the notes this program started and did not end, and only to the device that took
  // them: no reset, no all-notes-off.
  for (std::size_t channel = 0; channel < sounding_.size(); ++channel) {
    for (std::size_t note = 0; note < 128; ++note) {
      if (!sounding_[channel][note]) continue;
      SendShortMessage(static_cast<std::int16_t>(0x90 + channel), static_cast<std::int16_t>(note),
                       0);
    }
  }
  sounding_ = {};
  const MidiResult code = platform_.midiOutClose(hMidiOut_);
  if (code != 0) ShowMidiError(code);
  // Forgotten also when the close was refused: the device is not tried again.
  hMidiOut_ = 0;
}

void MIDI_OUT::ShowMidiError(std::int16_t code) {
  char text[kErrorTextSize];
  std::memset(text, ' ', sizeof text);
  platform_.midiOutGetErrorTextA(code, text, kErrorTextSize);
  const std::string description(text, std::find(text, text + sizeof text, '\0'));
  messageBox_.MsgBox("Error\n\n" + description, 0, kAppTitle);
}

std::int32_t MIDI_OUT::PackShortMessage(std::int16_t status, std::int16_t data1,
                                        std::int16_t data2) {
  const std::int32_t high = checked::Mul32(data2, 65536, "PackShortMessage: data2 * 65536");
  const std::int16_t middle = checked::Mul16(data1, 256, "PackShortMessage: data1 * 256");
  const std::int32_t sum = checked::Add32(high, middle, "PackShortMessage: high + middle");
  return checked::Add32(sum, status, "PackShortMessage: + status");
}

void MIDI_OUT::SendShortMessage(std::int16_t status, std::int16_t data1, std::int16_t data2) {
  const std::int32_t word = PackShortMessage(status, data1, data2);
  const MidiResult code = platform_.midiOutShortMsg(hMidiOut_, static_cast<std::uint32_t>(word));
  if (code == 0) {
    Track(word);
  } else {
    ShowMidiError(code);
  }
}

void MIDI_OUT::Track(std::int32_t word) {
  const auto status = static_cast<unsigned>(word) & 0xF0;
  const auto channel = static_cast<unsigned>(word) & 0x0F;
  const auto note = (static_cast<unsigned>(word) >> 8) & 0x7F;
  const bool on = status == 0x90 && ((static_cast<unsigned>(word) >> 16) & 0x7F) != 0;
  if (status == 0x90 || status == 0x80) sounding_[channel][note] = on;
}

}  // namespace tastiva
