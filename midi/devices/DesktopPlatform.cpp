#include "midi/devices/DesktopPlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "midi/MidiResults.h"
#include "midi/devices/DeviceNames.h"
#include "midi/devices/Failure.h"

namespace tastiva {

DesktopPlatform::DesktopPlatform(std::vector<std::unique_ptr<PortDirectory>> directories,
                                 Report report)
    : directories_(std::move(directories)), report_(std::move(report)) {
  if (!report_) {
    report_ = [](const std::string& problem) {
      std::fprintf(stderr, "Tastiva: %s\n", problem.c_str());
    };
  }
}

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
  listed_ = true;
  try {
    std::vector<FoundPort> found;
    for (const auto& directory : directories_) {
      PortListing listing = ListPortsCaught(*directory);
      if (!listing.problem.empty()) report_(listing.problem);
      for (FoundPort& port : listing.ports) found.push_back(std::move(port));
    }
    std::vector<std::string> longNames;
    for (const FoundPort& port : found) longNames.push_back(port.longName);
    const std::vector<std::string> names = DeviceNames(longNames, kMaxDeviceNameBytes);
    for (std::size_t i = 0; i < found.size(); ++i) {
      if (auto device = found[i].make(names[i])) devices_.push_back({std::move(device), names[i]});
    }
  } catch (...) {
    devices_.clear();
    report_(MidiResultText(MMSYSERR_NOMEM));
  }
  return static_cast<std::uint32_t>(devices_.size());
}

MidiResult DesktopPlatform::midiOutGetDevCapsA(std::uint32_t deviceId, MidiOutCaps* caps,
                                               std::uint32_t size) {
  ListDevicesOnce();
  if (deviceId >= devices_.size()) return MMSYSERR_BADDEVICEID;  // the mapper too: there is none
  if (caps == nullptr || size < sizeof(MidiOutCaps)) return MMSYSERR_INVALPARAM;
  const Listed& listed = devices_[deviceId];
  *caps = MidiOutCaps{};
  std::memcpy(caps->szPname, listed.name.data(), std::min<std::size_t>(listed.name.size(), 31));
  caps->wTechnology = listed.device->Technology();
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
  const auto& device = devices_[deviceId].device;
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
