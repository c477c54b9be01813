#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

class SystemConnection;

// The system's MIDI input ports as output devices, through RtMidi: the ALSA sequencer and
// JACK on Linux, CoreMIDI on macOS. A missing sequencer or server only means no ports.
class SystemPorts final : public PortDirectory {
 public:
  explicit SystemPorts(std::string clientName = "Tastiva");
  ~SystemPorts() override;

  std::vector<std::shared_ptr<MidiDevice>> ListPorts() override;

 private:
  std::string clientName_;
  std::vector<std::shared_ptr<SystemConnection>> systems_;
};

}  // namespace tastiva
