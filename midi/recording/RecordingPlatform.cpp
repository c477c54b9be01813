#include "midi/recording/RecordingPlatform.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "midi/MidiResults.h"

namespace tastiva {

std::string RecordingPlatform::DeviceLabel(std::uint32_t deviceId) {
  return deviceId == MIDI_MAPPER ? "mapper" : std::to_string(deviceId);
}

std::string RecordingPlatform::Bytes(std::uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X %02X %02X", word & 0xFF, (word >> 8) & 0xFF,
                (word >> 16) & 0xFF);
  std::string bytes = text;
  if (word > 0xFFFFFF) bytes += " (+" + std::to_string(word >> 24) + ")";
  return bytes;
}

void RecordingPlatform::Record(std::string line, MidiResult code) {
  if (code != 0) line += " -> " + std::to_string(code);
  log_.push_back(std::move(line));
}

void RecordingPlatform::ClearLog() {
  log_.clear();
  words_.clear();
}

bool RecordingPlatform::IsOpen(std::uint32_t deviceId) const {
  return std::any_of(open_.begin(), open_.end(),
                     [deviceId](const auto& entry) { return entry.second == deviceId; });
}

std::uint32_t RecordingPlatform::midiOutGetNumDevs() {
  return reportedCount.value_or(static_cast<std::uint32_t>(devices.size()));
}

MidiResult RecordingPlatform::midiOutGetDevCapsA(std::uint32_t deviceId, MidiOutCaps* caps,
                                                 std::uint32_t size) {
  if (const auto refusal = refuseCaps.find(deviceId); refusal != refuseCaps.end()) {
    return refusal->second;
  }
  const std::string* name = nullptr;
  if (deviceId == MIDI_MAPPER) {
    if (mapper) name = &*mapper;
  } else if (deviceId < devices.size()) {
    name = &devices[deviceId];
  }
  if (name == nullptr) return MMSYSERR_BADDEVICEID;
  if (caps == nullptr || size != sizeof(MidiOutCaps)) return MMSYSERR_INVALPARAM;
  *caps = MidiOutCaps{};
  // Names may carry text after a NUL, as a raw field can.
  std::memcpy(caps->szPname, name->data(), std::min(name->size(), sizeof caps->szPname));
  return MMSYSERR_NOERROR;
}

MidiResult RecordingPlatform::midiOutOpen(MidiHandle* handle, std::uint32_t deviceId,
                                          std::uintptr_t, std::uintptr_t, std::uint32_t) {
  const std::string line = "open " + DeviceLabel(deviceId);
  MidiResult code = MMSYSERR_NOERROR;
  if (const auto refusal = refuseOpen.find(deviceId); refusal != refuseOpen.end()) {
    code = refusal->second;
  } else if (deviceId == MIDI_MAPPER ? !mapper : deviceId >= devices.size()) {
    code = MMSYSERR_BADDEVICEID;
  } else if (IsOpen(deviceId)) {
    code = MMSYSERR_ALLOCATED;
  }
  if (code == MMSYSERR_NOERROR) {
    *handle = nextHandle_++;
    open_[*handle] = deviceId;
  }
  Record(line, code);
  return code;
}

MidiResult RecordingPlatform::midiOutClose(MidiHandle handle) {
  const auto it = open_.find(handle);
  if (it == open_.end()) {
    Record("close none", MMSYSERR_INVALHANDLE);
    return MMSYSERR_INVALHANDLE;
  }
  const std::string line = "close " + DeviceLabel(it->second);
  // A refused close leaves the device open on the platform's side.
  if (refuseClose == 0) open_.erase(it);
  Record(line, refuseClose);
  return refuseClose;
}

MidiResult RecordingPlatform::midiOutShortMsg(MidiHandle handle, std::uint32_t message) {
  const auto it = open_.find(handle);
  const std::string device = it == open_.end() ? "none" : DeviceLabel(it->second);
  const MidiResult code = it == open_.end() ? MMSYSERR_INVALHANDLE : refuseSend;
  if (code == 0) words_.push_back(message);
  Record("send " + device + ": " + Bytes(message), code);
  return code;
}

MidiResult RecordingPlatform::midiOutGetErrorTextA(MidiResult code, char* text,
                                                   std::uint32_t size) {
  CopyErrorText("text of " + std::to_string(code), text, size);
  return MMSYSERR_NOERROR;
}

}  // namespace tastiva
