#include "app/CreateMidiPlatform.h"

#ifdef _WIN32
#include "midi/winmm/WinmmPlatform.h"
#else
#include "midi/devices/BackgroundOpen.h"
#include "midi/devices/DesktopPlatform.h"
#ifdef TASTIVA_SYNTH_MODULE
#include "midi/devices/ModuleDevice.h"
#include "midi/devices/ModuleDirectory.h"
#else
#include "app/SystemPorts.h"
#endif
#include "midi/synth/BuiltinSynth.h"
#endif

namespace tastiva {

std::unique_ptr<MidiPlatform> CreateMidiPlatform(std::function<void(bool busy)> busy) {
#ifdef _WIN32
  static_cast<void>(busy);
  return std::make_unique<WinmmPlatform>();
#else
#ifdef TASTIVA_SYNTH_MODULE
  auto synth = std::make_shared<ModuleDevice>(ModuleDevice::Spec{
      BuiltinSynth::kName, MOD_SWSYNTH, ModuleDevice::BesideProgram(TASTIVA_SYNTH_MODULE),
      "TastivaCreateBuiltinSynth"});
#else
  auto synth = std::make_shared<BuiltinSynth>();
#endif
  // Its opening, which waits for the audio system and the SoundFont, keeps no one waiting.
  auto device = std::make_shared<BackgroundOpen>(synth);
  device->SetBusyHook(std::move(busy));
  std::vector<std::unique_ptr<PortDirectory> > directories;
  directories.push_back(
      std::make_unique<FixedDevices>(std::vector<std::shared_ptr<MidiDevice> >{device}));
#ifdef TASTIVA_PORTS_MODULE
  directories.push_back(std::make_unique<ModuleDirectory>(
      ModuleDirectory::Spec{"MIDI port library", ModuleDevice::BesideProgram(TASTIVA_PORTS_MODULE),
                            "TastivaCreatePorts"}));
#else
  for (auto& ports : SystemPortDirectories()) directories.push_back(std::move(ports));
#endif
  return std::make_unique<DesktopPlatform>(std::move(directories));
#endif
}

}  // namespace tastiva
