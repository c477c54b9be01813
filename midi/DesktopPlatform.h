#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiDevice.h"
#include "midi/MidiPlatform.h"

namespace tastiva {

// The MIDI platform on systems without winmm: device 0 is the built-in synthesizer,
// the system ports follow. There is no mapper. Codes and texts keep winmm's meaning.
class DesktopPlatform final : public MidiPlatform {
 public:
  DesktopPlatform(std::shared_ptr<MidiDevice> builtin, std::unique_ptr<PortDirectory> ports);

  std::uint32_t midiOutGetNumDevs() override;
  MidiResult midiOutGetDevCapsA(std::uint32_t deviceId, MidiOutCaps* caps,
                                std::uint32_t size) override;
  MidiResult midiOutOpen(MidiHandle* handle, std::uint32_t deviceId, std::uintptr_t callback,
                         std::uintptr_t instance, std::uint32_t flags) override;
  MidiResult midiOutClose(MidiHandle handle) override;
  MidiResult midiOutShortMsg(MidiHandle handle, std::uint32_t message) override;
  MidiResult midiOutGetErrorTextA(MidiResult code, char* text, std::uint32_t size) override;

 private:
  void ListDevicesOnce();
  MidiResult Refused(const MidiDevice& device, MidiResult code);

  std::shared_ptr<MidiDevice> builtin_;
  std::unique_ptr<PortDirectory> ports_;
  std::vector<std::shared_ptr<MidiDevice>> devices_;
  bool listed_ = false;
  std::map<MidiHandle, std::shared_ptr<MidiDevice>> open_;
  MidiHandle nextHandle_ = 1;
  // A device's own words for the last refusal with a code, shown instead of the standard text.
  std::map<MidiResult, std::string> details_;
};

}  // namespace tastiva
