#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "midi/devices/MidiDevice.h"
#include "midi/rtmidi/RtMidiSystem.h"
#include "midi/rtmidi/RtOutput.h"

namespace tastiva {

// One port of the ALSA sequencer or CoreMIDI as an output device, through RtMidi. A port that
// went away is refused by name until it is opened again.
class RtMidiPortDevice final : public MidiDevice {
 public:
  RtMidiPortDevice(std::shared_ptr<RtMidiSystem> system, std::string fullName, std::string name);
  ~RtMidiPortDevice() override;

  std::string Name() const override { return name_; }
  std::uint16_t Technology() const override;
  DeviceResult Open() override;
  DeviceResult Close() override;
  DeviceResult Send(std::uint32_t message) override;

 private:
  DeviceResult OpenPort();
  DeviceResult OpenWith(RtOutput& output);
  bool StillThere();
  bool Gone(std::string text);
  void Drop();

  std::shared_ptr<RtMidiSystem> system_;
  std::string fullName_;  // as the system names it; numbers shift as ports come and go
  std::string name_;      // as the device list shows it
  std::shared_ptr<RtOutput> output_;
  int index_ = -1;
  bool gone_ = false;
  std::string goneText_;
  std::chrono::steady_clock::time_point nextCheck_{};
};

}  // namespace tastiva
