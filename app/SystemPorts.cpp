#include "app/SystemPorts.h"

#include "midi/rtmidi/RtMidiPorts.h"
#ifdef __linux__
#include "midi/jack/JackPorts.h"
#endif

namespace tastiva {

std::vector<std::unique_ptr<PortDirectory>> SystemPortDirectories() {
  std::vector<std::unique_ptr<PortDirectory>> directories;
#ifdef __APPLE__
  directories.push_back(std::make_unique<RtMidiPorts>(RtMidi::MACOSX_CORE, "CoreMIDI"));
#else
  directories.push_back(std::make_unique<RtMidiPorts>(RtMidi::LINUX_ALSA, "the ALSA sequencer"));
#endif
#ifdef __linux__
  directories.push_back(std::make_unique<JackPorts>());
#endif
  return directories;
}

}  // namespace tastiva
