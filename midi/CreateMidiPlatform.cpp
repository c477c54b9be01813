#include "midi/CreateMidiPlatform.h"

#ifdef _WIN32
#include "midi/WinmmPlatform.h"
#else
#include <thread>

#include "midi/BuiltinSynth.h"
#include "midi/DesktopPlatform.h"
#include "midi/SystemPorts.h"
#endif

namespace tastiva {

std::unique_ptr<MidiPlatform> CreateMidiPlatform() {
#ifdef _WIN32
  return std::make_unique<WinmmPlatform>();
#else
  auto synth = std::make_shared<BuiltinSynth>();
  // The SoundFont loads while the window is built; the first open waits for it if needed.
  std::thread([synth] { synth->Preload(); }).detach();
  return std::make_unique<DesktopPlatform>(synth, std::make_unique<SystemPorts>());
#endif
}

}  // namespace tastiva
