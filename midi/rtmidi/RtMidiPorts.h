#pragma once

#include <RtMidi.h>

#include <memory>
#include <string>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

class RtMidiSystem;

// The MIDI input ports of one system RtMidi reaches (the ALSA sequencer, CoreMIDI) as output
// devices. A missing system only means no ports. Called from the platform's thread.
class RtMidiPorts final : public PortDirectory {
 public:
  // label names the system in refusals ("the ALSA sequencer", "CoreMIDI").
  RtMidiPorts(RtMidi::Api api, const char* label, std::string clientName = "Tastiva");
  ~RtMidiPorts() override;

  PortListing ListPorts() override;

 private:
  std::string clientName_;
  std::shared_ptr<RtMidiSystem> system_;
};

}  // namespace tastiva
