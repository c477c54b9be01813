#include "midi/CreateMidiPlatform.h"

#ifdef _WIN32
#include "midi/WinmmPlatform.h"
#else
#include "midi/BuiltinSynth.h"
#include "midi/DesktopPlatform.h"
#include "midi/SystemPorts.h"
#endif

namespace tastiva {

std::unique_ptr<MidiPlatform> CreateMidiPlatform() {
#ifdef _WIN32
  return std::make_unique<WinmmPlatform>();
#else
  return std::make_unique<DesktopPlatform>(std::make_shared<BuiltinSynth>(),
                                           std::make_unique<SystemPorts>());
#endif
}

}  // namespace tastiva
