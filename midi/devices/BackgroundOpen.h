#pragma once

#include <memory>

#include "base/SerialWorker.h"
#include "midi/devices/MidiDevice.h"

namespace tastiva {

// A device whose opening may take long (the built-in synthesizer, joining the audio system
// and reading its SoundFont) opened without keeping its caller waiting: Open returns at once
// and the device opens on a worker. What is sent meanwhile waits, in order, and is played once
// it is open (a note let go before then sounds nothing). A refusal that comes later is told at
// the next Send, and at the next Close if no Send told it. Called from the platform's thread.
class BackgroundOpen final : public MidiDevice {
 public:
  explicit BackgroundOpen(std::shared_ptr<MidiDevice> device);
  ~BackgroundOpen() override;

  std::string Name() const override { return device_->Name(); }
  std::uint16_t Technology() const override { return device_->Technology(); }
  DeviceResult Open() override;
  DeviceResult Close() override;
  DeviceResult Send(std::uint32_t message) override;
  void Prepare() override { device_->Prepare(); }
  void SetBusyHook(BusyHook busy) override;

  struct Shared;  // what the worker shares with this object

 private:
  const std::shared_ptr<MidiDevice> device_;
  std::shared_ptr<Shared> shared_;
  SerialWorker worker_;
};

}  // namespace tastiva
