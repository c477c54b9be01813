#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

class JackSystem;
class SystemConnection;

// The system's MIDI input ports as output devices: the ALSA sequencer (through RtMidi) and
// JACK (through clients of our own) on Linux, CoreMIDI (through RtMidi) on macOS. A missing
// sequencer or server only means no ports.
class SystemPorts final : public PortDirectory {
 public:
  explicit SystemPorts(std::string clientName = "Tastiva");
  ~SystemPorts() override;

  std::vector<std::shared_ptr<MidiDevice>> ListPorts() override;
  // Starts joining JACK, which answers slowly.
  void Prepare() override;

 private:
  std::string clientName_;
  std::vector<std::shared_ptr<SystemConnection>> systems_;
  std::shared_ptr<JackSystem> jack_;
};

}  // namespace tastiva
