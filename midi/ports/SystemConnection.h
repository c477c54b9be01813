#pragma once

#include <RtMidi.h>

#include <memory>
#include <string>

#include "midi/ports/PortNames.h"
#include "midi/ports/RtOutput.h"

namespace tastiva {

// One MIDI system reached through RtMidi (the ALSA sequencer, CoreMIDI) and the connection to
// it, shared by the directory and its devices so that open devices outlive the directory.
// JACK has its own (JackSystem).
class SystemConnection {
 public:
  // label names the system in refusals ("the ALSA sequencer", "CoreMIDI").
  SystemConnection(RtMidi::Api api, PortSystem kind, const char* label, std::string clientName);
  SystemConnection(const SystemConnection&) = delete;
  SystemConnection& operator=(const SystemConnection&) = delete;

  PortSystem kind() const { return kind_; }
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
  PortSystem kind_;
  const char* label_;
  std::string clientName_;
  // Created on first use and kept. Also opens a port when no device uses it, so a single open
  // port appears under the plain client name.
  std::shared_ptr<RtOutput> lister_;
  bool listerLent_ = false;
};

}  // namespace tastiva
