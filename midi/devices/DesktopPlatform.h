#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiPlatform.h"
#include "midi/devices/MidiDevice.h"

namespace tastiva {

// The MIDI platform on systems without winmm: the devices of the directories it is given,
// in their order (the built-in synthesizer first, then the system ports), each named uniquely
// among all of them. There is no mapper. Codes and texts keep winmm's meaning. Called from one
// thread, the program's UI thread.
class DesktopPlatform final : public MidiPlatform {
 public:
  // What a listing that could not see every port says; the default prints it on stderr.
  using Report = std::function<void(const std::string& problem)>;

  explicit DesktopPlatform(std::vector<std::unique_ptr<PortDirectory>> directories,
                           Report report = nullptr);

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
  MidiResult Keep(DeviceResult result);

  struct Listed {
    std::shared_ptr<MidiDevice> device;
    std::string name;
  };

  std::vector<std::unique_ptr<PortDirectory>> directories_;
  Report report_;
  std::vector<Listed> devices_;
  bool listed_ = false;
  std::map<MidiHandle, std::shared_ptr<MidiDevice>> open_;
  MidiHandle nextHandle_ = 1;
  // The last refusal, whose words the error text of its code shows.
  DeviceResult lastRefusal_;
};

}  // namespace tastiva
