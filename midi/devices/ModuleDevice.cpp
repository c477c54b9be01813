#include "midi/devices/ModuleDevice.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>

#include "midi/MidiResults.h"

namespace tastiva {

ModuleDevice::ModuleDevice(Spec spec) : spec_(std::move(spec)) {}

// The device's threads run the module's code: it is never unloaded.
ModuleDevice::~ModuleDevice() = default;

std::string ModuleDevice::BesideProgram(const std::string& relative) {
  std::array<char, 4096> self{};
  const ssize_t n = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
  if (n <= 0) return relative;
  std::string path(self.data(), static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + relative;
}

namespace {

std::string LastError() {
  const char* why = ::dlerror();
  return why != nullptr ? why : "unknown error";
}

}  // namespace

ModuleDevice::Loaded ModuleDevice::Load() const {
  void* module = ::dlopen(spec_.path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return {nullptr, LastError()};
  using Factory = MidiDevice* (*)();
  const auto make = reinterpret_cast<Factory>(::dlsym(module, spec_.factory.c_str()));
  if (make == nullptr) return {nullptr, LastError()};
  std::unique_ptr<MidiDevice> device(make());
  if (!device) return {nullptr, spec_.factory + " made no device"};
  return {std::move(device), {}};
}

void ModuleDevice::Prepare() {
  if (device_ || loading_.valid() || !error_.empty()) return;
  try {
    loading_ = std::async(std::launch::async, [this] {
      Loaded loaded = Load();
      if (loaded.device) loaded.device->Prepare();
      return loaded;
    });
  } catch (...) {
    // No thread: the module loads when the device opens.
  }
}

MidiDevice* ModuleDevice::Device() {
  if (!device_ && error_.empty()) {
    Loaded loaded = loading_.valid() ? loading_.get() : Load();
    device_ = std::move(loaded.device);
    error_ = std::move(loaded.error);
  }
  return device_.get();
}

DeviceResult ModuleDevice::Open() {
  try {
    if (MidiDevice* device = Device()) return device->Open();
    return {MMSYSERR_NODRIVER, "The " + spec_.name + " is not installed properly: " + error_ +
                                   ". Install the program again."};
  } catch (...) {
    return MMSYSERR_NOMEM;
  }
}

DeviceResult ModuleDevice::Close() {
  return device_ ? device_->Close() : DeviceResult(MMSYSERR_INVALHANDLE);
}

DeviceResult ModuleDevice::Send(std::uint32_t message) {
  return device_ ? device_->Send(message) : DeviceResult(MMSYSERR_INVALHANDLE);
}

}  // namespace tastiva
