#include "midi/devices/DesktopPlatform.h"

#include <algorithm>
#include <cstring>

#include "midi/MidiResults.h"

namespace tastiva {

DesktopPlatform::DesktopPlatform(std::vector<std::unique_ptr<PortDirectory>> directories)
    : directories_(std::move(directories)) {}

void DesktopPlatform::ListDevicesOnce() {
  if (!listed_) midiOutGetNumDevs();
}

std::uint32_t DesktopPlatform::midiOutGetNumDevs() {
  // Opening a device follows the first listing: what both wait for (a JACK server, a
  // SoundFont) starts at once, side by side.
  if (!listed_) {
    for (const auto& directory : directories_) directory->Prepare();
  }
  // Listed afresh on every count, as winmm does; handles already open keep their device.
  devices_.clear();
  for (const auto& directory : directories_) {
    for (auto& device : directory->ListPorts()) devices_.push_back(std::move(device));
  }
  listed_ = true;
  return static_cast<std::uint32_t>(devices_.size());
}

MidiResult DesktopPlatform::midiOutGetDevCapsA(std::uint32_t deviceId, MidiOutCaps* caps,
                                               std::uint32_t size) {
  ListDevicesOnce();
  if (deviceId >= devices_.size()) return MMSYSERR_BADDEVICEID;  // the mapper too: there is none
  if (caps == nullptr || size < sizeof(MidiOutCaps)) return MMSYSERR_INVALPARAM;
  const MidiDevice& device = *devices_[deviceId];
  *caps = MidiOutCaps{};
  const std::string name = device.Name();
  std::memcpy(caps->szPname, name.data(), std::min<std::size_t>(name.size(), 31));
  caps->wTechnology = device.Technology();
  caps->wChannelMask = 0xFFFF;
  return MMSYSERR_NOERROR;
}

MidiResult DesktopPlatform::midiOutOpen(MidiHandle* handle, std::uint32_t deviceId,
                                        std::uintptr_t callback, std::uintptr_t /*instance*/,
                                        std::uint32_t flags) {
  ListDevicesOnce();
  if (handle == nullptr) return MMSYSERR_INVALPARAM;
  if (deviceId >= devices_.size()) return MMSYSERR_BADDEVICEID;
  if (callback != 0 || flags != 0) return MMSYSERR_INVALFLAG;  // no callbacks are offered
  const auto& device = devices_[deviceId];
  const bool inUse = std::any_of(open_.begin(), open_.end(),
                                 [&](const auto& entry) { return entry.second == device; });
  if (inUse) return MMSYSERR_ALLOCATED;
  if (DeviceResult result = device->Open(); result.code != MMSYSERR_NOERROR) {
    return Keep(std::move(result));
  }
  *handle = nextHandle_++;
  open_.emplace(*handle, device);
  return MMSYSERR_NOERROR;
}

MidiResult DesktopPlatform::midiOutClose(MidiHandle handle) {
  const auto it = open_.find(handle);
  if (it == open_.end()) return MMSYSERR_INVALHANDLE;
  const std::shared_ptr<MidiDevice> device = it->second;
  open_.erase(it);
  return Keep(device->Close());
}

MidiResult DesktopPlatform::midiOutShortMsg(MidiHandle handle, std::uint32_t message) {
  const auto it = open_.find(handle);
  if (it == open_.end()) return MMSYSERR_INVALHANDLE;
  DeviceResult result = it->second->Send(message);
  if (result.code == MMSYSERR_NOERROR) return MMSYSERR_NOERROR;  // the common case stays cheap
  return Keep(std::move(result));
}

MidiResult DesktopPlatform::midiOutGetErrorTextA(MidiResult code, char* text, std::uint32_t size) {
  if (text == nullptr || size == 0) return MMSYSERR_INVALPARAM;
  const bool own = code == lastRefusal_.code && !lastRefusal_.detail.empty();
  CopyErrorText(own ? lastRefusal_.detail : MidiResultText(code), text, size);
  return MMSYSERR_NOERROR;
}

MidiResult DesktopPlatform::Keep(DeviceResult result) {
  if (result.code != MMSYSERR_NOERROR) lastRefusal_ = result;
  return result.code;
}

}  // namespace tastiva
