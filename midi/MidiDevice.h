#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "midi/MidiPlatform.h"

namespace tastiva {

// One output device of the desktop platform (the built-in synthesizer, a system port).
// Each call returns a winmm-numbered result code; 0 is success.
class MidiDevice {
 public:
  virtual ~MidiDevice() = default;

  // The name shown in the device list; the platform cuts it to 31 characters.
  virtual std::string Name() const = 0;
  virtual std::uint16_t Technology() const = 0;  // MOD_SWSYNTH, MOD_MIDIPORT, ...
  virtual MidiResult Open() = 0;
  virtual MidiResult Close() = 0;
  // A short message word: status in bits 0-7, data1 in 8-15, data2 in 16-23.
  virtual MidiResult Send(std::uint32_t message) = 0;
  // Words a user can act on for the last refusal, or empty for the code's standard text.
  virtual std::string ErrorDetail() const { return {}; }
};

// The system MIDI ports, listed afresh on request.
class PortDirectory {
 public:
  virtual ~PortDirectory() = default;
  // Devices for the ports present now, in a stable order.
  virtual std::vector<std::shared_ptr<MidiDevice>> ListPorts() = 0;
};

}  // namespace tastiva
