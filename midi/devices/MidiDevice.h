#pragma once

#include <cstdint>
#include <functional>
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

// One output device of the desktop platform (the built-in synthesizer, a system port). Every
// call comes from the platform's thread, the program's UI thread; none may wait long.
class MidiDevice {
 public:
  virtual ~MidiDevice() = default;

  // Its own name; the device list shows the one its listing gave it.
  virtual std::string Name() const = 0;
  virtual std::uint16_t Technology() const = 0;  // MOD_SWSYNTH, MOD_MIDIPORT, ...
  virtual DeviceResult Open() = 0;
  virtual DeviceResult Close() = 0;
  // A short message word: status in bits 0-7, data1 in 8-15, data2 in 16-23.
  virtual DeviceResult Send(std::uint32_t message) = 0;
  // Starts in the background what the first Open waits for, showing and sounding nothing.
  virtual void Prepare() {}
  // Told, from any thread, when work the user waits for starts (true) and ends (false): a
  // device preparing, an instrument loading. Set before the first Prepare.
  using BusyHook = std::function<void(bool busy)>;
  virtual void SetBusyHook(BusyHook /*busy*/) {}
};

// A port a listing found: a readable name of any length, and how to make its device once its
// name in the device list (cut to fit, unique among all ports listed) is known.
struct FoundPort {
  std::string longName;
  std::function<std::shared_ptr<MidiDevice>(const std::string& name)> make;
};

// What a listing gives: the ports found, and why it may be incomplete ("" when it is not).
struct PortListing {
  std::vector<FoundPort> ports;
  std::string problem;
};

// A source of output devices: the system's ports, listed afresh on request, or a fixed set.
// Called from the platform's thread.
class PortDirectory {
 public:
  virtual ~PortDirectory() = default;
  // Ports present now, in a stable order.
  virtual PortListing ListPorts() = 0;
  // Starts in the background what the next listing and its devices' opening wait for.
  virtual void Prepare() {}
};

// Devices that are always there, such as a built-in synthesizer, under their own names.
class FixedDevices final : public PortDirectory {
 public:
  explicit FixedDevices(std::vector<std::shared_ptr<MidiDevice>> devices)
      : devices_(std::move(devices)) {}
  PortListing ListPorts() override {
    PortListing listing;
    for (const auto& device : devices_) {
      listing.ports.push_back({device->Name(), [device](const std::string&) { return device; }});
    }
    return listing;
  }
  void Prepare() override {
    for (const auto& device : devices_) device->Prepare();
  }

 private:
  std::vector<std::shared_ptr<MidiDevice>> devices_;
};

}  // namespace tastiva
