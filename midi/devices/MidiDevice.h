#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "midi/MidiPlatform.h"

namespace tastiva {

// What a device call gives back: a winmm-numbered code (0 is success) and, with a refusal,
// the words a user can act on (empty: the code's standard text is shown).
struct DeviceResult {
  DeviceResult(MidiResult code = 0, std::string detail = {})  // NOLINT: plain codes convert
      : code(code), detail(std::move(detail)) {}
  MidiResult code;
  std::string detail;
};

// One output device of the desktop platform (the built-in synthesizer, a system port).
class MidiDevice {
 public:
  virtual ~MidiDevice() = default;

  // The name shown in the device list; the platform cuts it to 31 characters.
  virtual std::string Name() const = 0;
  virtual std::uint16_t Technology() const = 0;  // MOD_SWSYNTH, MOD_MIDIPORT, ...
  virtual DeviceResult Open() = 0;
  virtual DeviceResult Close() = 0;
  // A short message word: status in bits 0-7, data1 in 8-15, data2 in 16-23.
  virtual DeviceResult Send(std::uint32_t message) = 0;
  // Starts in the background what the first Open waits for, showing and sounding nothing.
  virtual void Prepare() {}
};

// A source of output devices: the system's ports, listed afresh on request, or a fixed set.
class PortDirectory {
 public:
  virtual ~PortDirectory() = default;
  // Devices present now, in a stable order.
  virtual std::vector<std::shared_ptr<MidiDevice>> ListPorts() = 0;
  // Starts in the background what the next listing and its devices' opening wait for.
  virtual void Prepare() {}
};

// Devices that are always there, such as a built-in synthesizer.
class FixedDevices final : public PortDirectory {
 public:
  explicit FixedDevices(std::vector<std::shared_ptr<MidiDevice>> devices)
      : devices_(std::move(devices)) {}
  std::vector<std::shared_ptr<MidiDevice>> ListPorts() override { return devices_; }
  void Prepare() override {
    for (const auto& device : devices_) device->Prepare();
  }

 private:
  std::vector<std::shared_ptr<MidiDevice>> devices_;
};

}  // namespace tastiva
