#pragma once

#include <memory>
#include <optional>
#include <string>

#include "base/SerialWorker.h"
#include "midi/devices/MidiDevice.h"

namespace tastiva {

// A device whose code lives in a module of its own, loaded only when it is first prepared or
// opened: the libraries it needs (FluidSynth and its tree) then cost the program's start
// nothing, and a missing or broken module only makes its device refuse to open. Its calls come
// from one thread; the loading runs on a worker of its own.
class ModuleDevice final : public MidiDevice {
 public:
  struct Spec {
    std::string name;  // shown before the module is loaded
    std::uint16_t technology = 0;
    std::string path;     // of the module
    std::string factory;  // its function, extern "C" MidiDevice* (), which makes the device
  };

  explicit ModuleDevice(Spec spec);
  ~ModuleDevice() override;

  // The module file named relative to the running program's own folder.
  static std::string BesideProgram(const std::string& relative);

  std::string Name() const override { return spec_.name; }
  std::uint16_t Technology() const override { return spec_.technology; }
  DeviceResult Open() override;
  DeviceResult Close() override;
  DeviceResult Send(std::uint32_t message) override;
  // Loads the module on the worker and prepares its device there.
  void Prepare() override;
  void SetBusyHook(BusyHook busy) override { busy_ = std::move(busy); }

  struct Loaded {
    std::unique_ptr<MidiDevice> device;
    std::string error;  // why there is none, as the device's refusal says it
  };

 private:
  // Waits for the loading Prepare started, or loads now.
  MidiDevice* Device();

  Spec spec_;
  BusyHook busy_;
  SerialWorker loader_;
  std::optional<Request<Loaded>> loading_;
  std::unique_ptr<MidiDevice> device_;
  std::string error_;  // the refusal of a module that did not load
};

}  // namespace tastiva
