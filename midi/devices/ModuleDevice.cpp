#include "midi/devices/ModuleDevice.h"

#include <unistd.h>

#include <array>

#include "midi/MidiResults.h"
#include "midi/devices/DeviceTexts.h"
#include "midi/devices/Failure.h"
#include "midi/devices/ModuleFile.h"

namespace tastiva {

namespace {

// On the loader's worker, or the caller's thread if there is none.
ModuleDevice::Loaded Load(const ModuleDevice::Spec& spec) {
  std::string error;
  using Factory = MidiDevice* (*)();
  const auto make =
      reinterpret_cast<Factory>(ModuleSymbol(spec.name, spec.path, spec.factory, error));
  if (make == nullptr) return {nullptr, error};
  std::unique_ptr<MidiDevice> device(make());
  if (!device) return {nullptr, NotInstalledText(spec.name, spec.factory + " made no device")};
  return {std::move(device), {}};
}

// A load nobody waits for any more ends on its own.
constexpr auto kNoWait = std::chrono::milliseconds(0);

}  // namespace

ModuleDevice::ModuleDevice(Spec spec) : spec_(std::move(spec)), loader_(kNoWait) {}

// The device's threads run the module's code: it is never unloaded.
ModuleDevice::~ModuleDevice() {
  if (loading_) loading_->Abandon();
}

std::string ModuleDevice::BesideProgram(const std::string& relative) {
  std::array<char, 4096> self{};
  const ssize_t n = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
  if (n <= 0) return relative;
  std::string path(self.data(), static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + relative;
}

void ModuleDevice::Prepare() {
  if (device_ || loading_ || !error_.empty()) return;
  try {
    loading_ = loader_.Ask([spec = spec_, busy = busy_] {
      Loaded loaded = Load(spec);
      if (loaded.device) {
        loaded.device->SetBusyHook(busy);
        loaded.device->Prepare();
      }
      return loaded;
    });
  } catch (...) {
    // No worker: the module loads when the device opens.
  }
}

MidiDevice* ModuleDevice::Device() {
  if (!device_ && error_.empty()) {
    Loaded loaded = loading_ ? loading_->Await().value_or(Loaded{}) : Load(spec_);
    if (!loading_ && loaded.device) loaded.device->SetBusyHook(busy_);
    loading_.reset();
    device_ = std::move(loaded.device);
    error_ = device_                ? std::string()
             : loaded.error.empty() ? NotInstalledText(spec_.name, "unknown error")
                                    : loaded.error;
  }
  return device_.get();
}

DeviceResult ModuleDevice::Open() {
  try {
    if (MidiDevice* device = Device()) return device->Open();
    return {MMSYSERR_NODRIVER, error_};
  } catch (...) {
    return CaughtFailure("The {}", spec_.name);
  }
}

DeviceResult ModuleDevice::Close() {
  return device_ ? device_->Close() : DeviceResult(MMSYSERR_INVALHANDLE);
}

DeviceResult ModuleDevice::Send(std::uint32_t message) {
  return device_ ? device_->Send(message) : DeviceResult(MMSYSERR_INVALHANDLE);
}

}  // namespace tastiva
