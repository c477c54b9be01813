#pragma once

#include <memory>
#include <string>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

class JackSystem;

// The MIDI input ports of a JACK server as output devices, each reached through a JACK client
// of our own. No server only means no ports. Called from the platform's thread.
class JackPorts final : public PortDirectory {
 public:
  explicit JackPorts(std::string clientName = "Tastiva");
  ~JackPorts() override;

  PortListing ListPorts() override;
  // Starts joining JACK, which answers slowly.
  void Prepare() override;

 private:
  std::string clientName_;
  std::shared_ptr<JackSystem> jack_;
};

}  // namespace tastiva
