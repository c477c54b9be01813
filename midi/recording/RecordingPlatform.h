#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "midi/MidiPlatform.h"

namespace tastiva {

// A MIDI platform for tests: a configurable set of devices that keeps every call in a
// readable log and refuses the calls it is told to refuse.
//
// Log lines: "open 0", "open mapper", "close 2", "send 0: 90 35 7F", "send none: B0 00 00";
// a refused call ends with " -> code". Capability queries and error texts are not logged.
class RecordingPlatform final : public MidiPlatform {
 public:
  // Device names by identifier; the mapper is described only when it has a name.
  std::vector<std::string> devices;
  std::optional<std::string> mapper;
  // The count midiOutGetNumDevs reports; by default the number of devices.
  std::optional<std::uint32_t> reportedCount;

  // Refusals, by platform identifier (MIDI_MAPPER for the mapper).
  std::map<std::uint32_t, MidiResult> refuseCaps;
  std::map<std::uint32_t, MidiResult> refuseOpen;
  MidiResult refuseClose = 0;
  MidiResult refuseSend = 0;

  std::uint32_t midiOutGetNumDevs() override;
  MidiResult midiOutGetDevCapsA(std::uint32_t deviceId, MidiOutCaps* caps,
                                std::uint32_t size) override;
  MidiResult midiOutOpen(MidiHandle* handle, std::uint32_t deviceId, std::uintptr_t callback,
                         std::uintptr_t instance, std::uint32_t flags) override;
  MidiResult midiOutClose(MidiHandle handle) override;
  MidiResult midiOutShortMsg(MidiHandle handle, std::uint32_t message) override;
  MidiResult midiOutGetErrorTextA(MidiResult code, char* text, std::uint32_t size) override;

  const std::vector<std::string>& Log() const { return log_; }
  // Message words that a device accepted, in order.
  const std::vector<std::uint32_t>& Words() const { return words_; }
  void ClearLog();
  // Whether a handle to the device is open.
  bool IsOpen(std::uint32_t deviceId) const;

  static std::string DeviceLabel(std::uint32_t deviceId);
  static std::string Bytes(std::uint32_t word);

 private:
  void Record(std::string line, MidiResult code);

  std::vector<std::string> log_;
  std::vector<std::uint32_t> words_;
  std::map<MidiHandle, std::uint32_t> open_;
  MidiHandle nextHandle_ = 0x100;
};

}  // namespace tastiva
