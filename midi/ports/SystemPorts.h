#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/MidiDevice.h"

namespace tastiva {

// The system's MIDI input ports as output devices, through RtMidi: the ALSA sequencer and
// JACK on Linux, CoreMIDI on macOS. A missing sequencer or server only means no ports.
class SystemPorts final : public PortDirectory {
 public:
  explicit SystemPorts(std::string clientName = "Tastiva");
  ~SystemPorts() override;

  std::vector<std::shared_ptr<MidiDevice>> ListPorts() override;

 private:
  struct System;  // one MIDI system (ALSA, JACK, CoreMIDI) and its connection
  friend class SystemPortDevice;

  std::string clientName_;
  std::vector<std::shared_ptr<System>> systems_;
};

}  // namespace tastiva
