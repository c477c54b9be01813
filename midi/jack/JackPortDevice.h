#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "midi/devices/MidiDevice.h"
#include "midi/jack/JackOutput.h"
#include "midi/jack/JackSystem.h"

namespace tastiva {

// One MIDI input port of a JACK client as an output device, through a JACK client of our own
// that exists only while the device is open. Nothing here waits for the server: while its
// graph stands still sends are refused, and they are taken again once it moves. A port that
// went away is refused by name until it is opened again.
class JackPortDevice final : public MidiDevice {
 public:
  JackPortDevice(std::shared_ptr<JackSystem> system, std::string fullName, std::string name);
  ~JackPortDevice() override;

  std::string Name() const override { return name_; }
  std::uint16_t Technology() const override;
  DeviceResult Open() override;
  DeviceResult Close() override;
  DeviceResult Send(std::uint32_t message) override;

 private:
  DeviceResult OpenOutput();
  DeviceResult Gone(std::string text);
  void Drop();

  std::shared_ptr<JackSystem> system_;
  std::string fullName_;  // as JACK names it
  std::string name_;      // as the device list shows it
  std::shared_ptr<JackOutput> output_;
  std::shared_ptr<JackWatch> watch_;
  std::shared_ptr<std::atomic<bool>> destinationGone_;
  bool gone_ = false;
  std::string goneText_;
};

}  // namespace tastiva
