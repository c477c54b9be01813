#pragma once

#include <RtMidi.h>

#include <memory>
#include <string>
#include <vector>

namespace tastiva {

// An RtMidiOut whose errors are recorded through its error callback instead of printed or
// thrown.
class RtOutput {
 public:
  // Null when the MIDI system is not available. RtMidi prints a failed construction on
  // std::cerr before a callback can be set, so the ALSA sequencer is asked first.
  static std::shared_ptr<RtOutput> Create(RtMidi::Api api, const std::string& clientName);

  RtOutput(const RtOutput&) = delete;
  RtOutput& operator=(const RtOutput&) = delete;

  // Runs an RtMidi call; false if it reported an error or threw.
  template <typename Call>
  bool Run(Call&& call) {
    failed_ = false;
    try {
      call(*rt_);
    } catch (...) {
      failed_ = true;
    }
    return !failed_;
  }

  bool IsPortOpen() const { return rt_->isPortOpen(); }

  // The full names of the ports present now.
  std::vector<std::string> PortNames();

  // The port's current index, or -1. Where it was last seen (hint) is looked at first, then
  // one place lower (a port listed earlier went away), as each name is a query of its own.
  int Find(const std::string& fullName, int hint = -1);

 private:
  RtOutput() = default;
  static void OnError(RtMidiError::Type type, const std::string& text, void* self);

  bool failed_ = false;  // declared first: RtMidi may report while rt_ is destroyed
  std::unique_ptr<RtMidiOut> rt_;
};

}  // namespace tastiva
