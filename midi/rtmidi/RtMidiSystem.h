#pragma once

#include <RtMidi.h>

#include <memory>
#include <string>

#include "midi/rtmidi/RtOutput.h"

namespace tastiva {

// One MIDI system reached through RtMidi (the ALSA sequencer, CoreMIDI) and the connection to
// it, shared by the directory and its devices so that open devices outlive the directory.
// Called from the platform's thread.
class RtMidiSystem {
 public:
  // label names the system in refusals ("the ALSA sequencer", "CoreMIDI").
  RtMidiSystem(RtMidi::Api api, const char* label, std::string clientName);
  RtMidiSystem(const RtMidiSystem&) = delete;
  RtMidiSystem& operator=(const RtMidiSystem&) = delete;

  RtMidi::Api api() const { return api_; }
  const char* label() const { return label_; }

  // Connects; false while the system is not available.
  bool Connect();

  // The output that lists the ports; only after Connect succeeded.
  RtOutput& lister() const { return *lister_; }

  // An output to open a port with: the lister when free, else a new one. Null if the
  // system is unavailable.
  std::shared_ptr<RtOutput> Acquire();
  void Release(const std::shared_ptr<RtOutput>& output);

 private:
  RtMidi::Api api_;
  const char* label_;
  std::string clientName_;
  // Created on first use and kept. Also opens a port when no device uses it, so a single open
  // port appears under the plain client name.
  std::shared_ptr<RtOutput> lister_;
  bool listerLent_ = false;
};

}  // namespace tastiva
