#include "midi/DesktopPlatform.h"

#include <algorithm>
#include <cstring>

#include "midi/MidiResults.h"

namespace tastiva {

DesktopPlatform::DesktopPlatform(std::shared_ptr<MidiDevice> builtin,
                                 std::unique_ptr<PortDirectory> ports)
    : builtin_(std::move(builtin)), ports_(std::move(ports)) {}

void DesktopPlatform::ListDevicesOnce() {
  if (!listed_) midiOutGetNumDevs();
}

std::uint32_t DesktopPlatform::midiOutGetNumDevs() {
  // Listed afresh on every count, as winmm does; handles already open keep their device.
  devices_.clear();
  if (builtin_) devices_.push_back(builtin_);
  if (ports_) {
    for (auto& port : ports_->ListPorts()) devices_.push_back(std::move(port));
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
  if (const MidiResult code = device->Open(); code != MMSYSERR_NOERROR) {
    return Refused(*device, code);
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
  if (const MidiResult code = device->Close(); code != MMSYSERR_NOERROR) {
    return Refused(*device, code);
  }
  return MMSYSERR_NOERROR;
}

MidiResult DesktopPlatform::midiOutShortMsg(MidiHandle handle, std::uint32_t message) {
  const auto it = open_.find(handle);
  if (it == open_.end()) return MMSYSERR_INVALHANDLE;
  if (const MidiResult code = it->second->Send(message); code != MMSYSERR_NOERROR) {
    return Refused(*it->second, code);
  }
  return MMSYSERR_NOERROR;
}

MidiResult DesktopPlatform::midiOutGetErrorTextA(MidiResult code, char* text, std::uint32_t size) {
  if (text == nullptr || size == 0) return MMSYSERR_INVALPARAM;
  const auto detail = details_.find(code);
  CopyErrorText(detail != details_.end() ? detail->second : MidiResultText(code), text, size);
  return MMSYSERR_NOERROR;
}

MidiResult DesktopPlatform::Refused(const MidiDevice& device, MidiResult code) {
  if (std::string detail = device.ErrorDetail(); !detail.empty()) {
    details_[code] = std::move(detail);
  } else {
    details_.erase(code);
  }
  return code;
}

}  // namespace tastiva
