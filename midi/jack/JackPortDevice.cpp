#include "midi/jack/JackPortDevice.h"

#include <optional>
#include <utility>

#include "midi/MidiResults.h"
#include "midi/ShortMessage.h"
#include "midi/devices/DeviceTexts.h"
#include "midi/devices/Failure.h"
#include "midi/jack/Bury.h"
#include "midi/jack/JackTexts.h"

namespace tastiva {

JackPortDevice::JackPortDevice(std::shared_ptr<JackSystem> system, std::string fullName,
                               std::string name)
    : system_(std::move(system)), fullName_(std::move(fullName)), name_(std::move(name)) {}

JackPortDevice::~JackPortDevice() {
  Close();
}

std::uint16_t JackPortDevice::Technology() const {
  return MOD_MIDIPORT;
}

DeviceResult JackPortDevice::Open() {
  if (output_) return MMSYSERR_ALLOCATED;
  try {
    const DeviceResult result = OpenOutput();
    if (result.code != MMSYSERR_NOERROR) Drop();
    return result;
  } catch (...) {
    Drop();
    return CaughtFailure("The MIDI port {}", name_);
  }
}

DeviceResult JackPortDevice::OpenOutput() {
  switch (system_->Connect()) {
    case JackSystem::State::kConnected:
      break;
    case JackSystem::State::kNoServer:
      return {MMSYSERR_BADDEVICEID, PortSystemDownText(name_, "JACK")};
    case JackSystem::State::kNotResponding:
      return {MIDIERR_NOTREADY, JackOpenStallText(name_)};
  }
  watch_ = system_->watch();
  // Watched before the connection is made, so that a port replaced in between is noticed.
  destinationGone_ = watch_->WatchPort(fullName_);
  if (!destinationGone_) return {MMSYSERR_BADDEVICEID, PortGoneText(name_)};
  if (system_->worker().Stuck()) return {MIDIERR_NOTREADY, JackOpenStallText(name_)};

  // Given up on, the client is closed on the worker once it is made.
  const auto opening =
      system_->worker().Ask([client = system_->clientName(), destination = fullName_] {
        return JackOutput::Open(client, destination);
      });
  std::optional<std::shared_ptr<JackOutput>> opened = system_->Await(opening);
  if (!opened) {
    opening.Abandon();
    return {MIDIERR_NOTREADY, JackOpenStallText(name_)};
  }
  if (!*opened) return {MIDIERR_NOTREADY, PortNotOpenedText(name_)};
  output_ = std::move(*opened);
  gone_ = false;
  return MMSYSERR_NOERROR;
}

DeviceResult JackPortDevice::Close() {
  if (!output_) return MMSYSERR_NOERROR;
  std::shared_ptr<JackOutput> output = std::move(output_);
  if (output->ServerGone() || !watch_->Alive()) {
    Bury(std::move(output));
    Bury(watch_);
  } else {
    // Messages accepted go out first, waited for while the server runs (the program may end
    // right after). With the graph stalled nobody waits: they go, and the client closes, once
    // it moves again.
    const bool answers = output->Moving() && !system_->worker().Stuck();
    const auto closing = system_->worker().Ask([output = std::move(output)]() mutable {
      output->Drain();
      output.reset();
      return true;
    });
    if (answers) {
      system_->Await(closing);
    } else {
      closing.Abandon();  // the server does not answer: the next request is not waited for
    }
  }
  Drop();
  return MMSYSERR_NOERROR;
}

DeviceResult JackPortDevice::Send(std::uint32_t message) {
  if (!output_) return MMSYSERR_INVALHANDLE;
  const ShortMessageBytes m = UnpackShortMessage(message);
  if (m.size == 0) return MMSYSERR_INVALPARAM;
  // A connection is lost for good once its port went, even if the port comes back.
  if (gone_) return {MIDIERR_NOTREADY, goneText_};
  if (!watch_->Alive()) return Gone(JackStoppedText(name_));
  if (destinationGone_->load(std::memory_order_acquire)) return Gone(PortGoneText(name_));
  switch (output_->Send(m.bytes.data(), m.size)) {
    case JackOutput::Write::kQueued:
      return MMSYSERR_NOERROR;
    case JackOutput::Write::kServerGone:
      return Gone(JackStoppedText(name_));
    case JackOutput::Write::kNotMoving:
      break;
  }
  return {MIDIERR_NOTREADY, JackSendStallText(name_)};
}

DeviceResult JackPortDevice::Gone(std::string text) {
  gone_ = true;
  goneText_ = std::move(text);
  return {MIDIERR_NOTREADY, goneText_};
}

void JackPortDevice::Drop() {
  output_.reset();
  if (watch_ && !watch_->Alive()) Bury(watch_);
  watch_.reset();
  destinationGone_.reset();
}

}  // namespace tastiva
