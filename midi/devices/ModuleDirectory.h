#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

// Port directories whose code lives in a module of their own, loaded on the caller's thread
// when the ports are first prepared or listed: the libraries they need (RtMidi's, ALSA's,
// JACK's) then cost the program's start nothing. A module that does not load only means no
// such ports, and the listing says why. Called from the platform's thread.
class ModuleDirectory final : public PortDirectory {
 public:
  struct Spec {
    std::string name;  // of the ports, as a refusal names them ("system MIDI ports")
    std::string path;  // of the module
    // Its function, extern "C" int (PortDirectory** out, int capacity): makes up to capacity
    // directories, handing them over in out, and returns how many.
    std::string factory;
  };

  explicit ModuleDirectory(Spec spec);
  ~ModuleDirectory() override;

  // The ports of the module's directories, in their order.
  PortListing ListPorts() override;
  void Prepare() override;

  static constexpr int kMaxDirectories = 8;

 private:
  void Load();

  Spec spec_;
  bool loaded_ = false;
  std::string error_;  // why the module did not load
  std::vector<std::unique_ptr<PortDirectory>> directories_;
};

}  // namespace tastiva
