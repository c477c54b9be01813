#include "midi/jack/JackPortDevice.h"

#include <optional>
#include <utility>

#include "midi/MidiResults.h"
#include "midi/ShortMessage.h"
#include "midi/devices/Failure.h"
#include "midi/jack/Bury.h"

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
    return CaughtFailure("The MIDI port " + name_);
  }
}

DeviceResult JackPortDevice::OpenOutput() {
  const std::string notResponding =
      "JACK is not responding: the MIDI port " + name_ +
      " cannot be opened while it stands still. Choose it again later, or choose another device.";
  switch (system_->Connect()) {
    case JackSystem::State::kConnected:
      break;
    case JackSystem::State::kNoServer:
      return {MMSYSERR_BADDEVICEID, "The MIDI port " + name_ +
                                        " is gone: JACK is not running. Start it, or choose "
                                        "another device."};
    case JackSystem::State::kNotResponding:
      return {MIDIERR_NOTREADY, notResponding};
  }
  watch_ = system_->watch();
  // Watched before the connection is made, so that a port replaced in between is noticed.
  destinationGone_ = watch_->WatchPort(fullName_);
  if (!destinationGone_) return {MMSYSERR_BADDEVICEID, GoneText()};
  if (system_->worker().Stuck()) return {MIDIERR_NOTREADY, notResponding};

  // Given up on, the client is closed on the worker once it is made.
  const auto opening =
      system_->worker().Ask([client = system_->clientName(), destination = fullName_] {
        return JackOutput::Open(client, destination);
      });
  std::optional<std::shared_ptr<JackOutput>> opened = system_->Await(opening);
  if (!opened) {
    opening.Abandon();
    return {MIDIERR_NOTREADY, notResponding};
  }
  if (!*opened) {
    return {MIDIERR_NOTREADY, "The MIDI port " + name_ +
                                  " could not be opened. Try again, or choose another device."};
  }
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
  if (!watch_->Alive()) return Gone(StoppedText());
  if (destinationGone_->load(std::memory_order_acquire)) return Gone(GoneText());
  switch (output_->Send(m.bytes.data(), m.size)) {
    case JackOutput::Write::kQueued:
      return MMSYSERR_NOERROR;
    case JackOutput::Write::kServerGone:
      return Gone(StoppedText());
    case JackOutput::Write::kNotMoving:
      break;
  }
  return {MIDIERR_NOTREADY, "JACK is not responding: nothing reaches the MIDI port " + name_ +
                                " while it stands still. Wait, or choose another device."};
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

std::string JackPortDevice::GoneText() const {
  return "The MIDI port " + name_ +
         " is gone. Connect it again and choose it again, or choose another device.";
}

std::string JackPortDevice::StoppedText() const {
  return "The MIDI port " + name_ +
         " is gone: JACK stopped. Start it, then choose the port again or another device.";
}

}  // namespace tastiva
