#include "midi/rtmidi/RtMidiPortDevice.h"

#include <utility>

#include "midi/MidiResults.h"
#include "midi/ShortMessage.h"
#include "midi/devices/DeviceTexts.h"
#include "midi/devices/Failure.h"
#include "midi/rtmidi/RtMidiTexts.h"

namespace tastiva {

namespace {

// How often Send looks whether the port still exists: soon enough to report a vanished port,
// rarely enough that the look-ups cost next to nothing.
constexpr std::chrono::milliseconds kPresenceCheckInterval{250};

constexpr const char* kOwnPortName = "out";

}  // namespace

RtMidiPortDevice::RtMidiPortDevice(std::shared_ptr<RtMidiSystem> system, std::string fullName,
                                   std::string name)
    : system_(std::move(system)), fullName_(std::move(fullName)), name_(std::move(name)) {}

RtMidiPortDevice::~RtMidiPortDevice() {
  Close();
}

std::uint16_t RtMidiPortDevice::Technology() const {
  return MOD_MIDIPORT;
}

DeviceResult RtMidiPortDevice::Open() {
  try {
    return OpenPort();
  } catch (...) {
    return CaughtFailure("The MIDI port {}", name_);
  }
}

DeviceResult RtMidiPortDevice::Close() {
  if (!output_) return MMSYSERR_NOERROR;
  output_->Run([](RtMidiOut& rt) { rt.closePort(); });
  Drop();
  return MMSYSERR_NOERROR;
}

DeviceResult RtMidiPortDevice::Send(std::uint32_t message) {
  if (!output_) return MMSYSERR_INVALHANDLE;
  const ShortMessageBytes m = UnpackShortMessage(message);
  if (m.size == 0) return MMSYSERR_INVALPARAM;
  if (!StillThere()) return {MIDIERR_NOTREADY, goneText_};
  // The pointer-and-size overload copies nothing on our side.
  if (!output_->Run([&](RtMidiOut& rt) { rt.sendMessage(m.bytes.data(), m.size); })) {
    return {MIDIERR_NOTREADY, RtStoppedAcceptingText(name_)};
  }
  return MMSYSERR_NOERROR;
}

DeviceResult RtMidiPortDevice::OpenPort() {
  if (output_) return MMSYSERR_ALLOCATED;
  std::shared_ptr<RtOutput> output = system_->Acquire();
  if (!output) {
    return {MMSYSERR_BADDEVICEID, PortSystemDownText(name_, system_->label())};
  }
  DeviceResult result = MMSYSERR_ERROR;
  try {
    result = OpenWith(*output);
  } catch (...) {
    result = CaughtFailure("The MIDI port {}", name_);
  }
  if (result.code != MMSYSERR_NOERROR) {
    system_->Release(output);
    return result;
  }
  output_ = std::move(output);
  gone_ = false;
  nextCheck_ = std::chrono::steady_clock::now() + kPresenceCheckInterval;
  return MMSYSERR_NOERROR;
}

DeviceResult RtMidiPortDevice::OpenWith(RtOutput& output) {
  index_ = output.Find(fullName_);
  if (index_ < 0) return {MMSYSERR_BADDEVICEID, PortGoneText(name_)};
  const bool opened =
      output.Run([&](RtMidiOut& rt) { rt.openPort(static_cast<unsigned>(index_), kOwnPortName); });
  if (!opened || !output.IsPortOpen()) {
    output.Run([](RtMidiOut& rt) { rt.closePort(); });  // some failures leave it half open
    return {MIDIERR_NOTREADY, PortNotOpenedText(name_)};
  }
  return MMSYSERR_NOERROR;
}

// A connection is lost for good once its port went, even if the port comes back, so a
// vanished port stays refused until opened again.
bool RtMidiPortDevice::StillThere() {
  if (gone_) return false;
  const auto now = std::chrono::steady_clock::now();
  if (now < nextCheck_) return true;
  nextCheck_ = now + kPresenceCheckInterval;
  index_ = output_->Find(fullName_, index_);
  return index_ >= 0 || Gone(PortGoneText(name_));
}

bool RtMidiPortDevice::Gone(std::string text) {
  gone_ = true;
  goneText_ = std::move(text);
  return false;
}

void RtMidiPortDevice::Drop() {
  if (output_) system_->Release(output_);
  output_.reset();
}

}  // namespace tastiva
