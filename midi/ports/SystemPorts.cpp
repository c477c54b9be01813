#include "midi/ports/SystemPorts.h"

#include <algorithm>
#include <utility>

#include "midi/ports/PortNames.h"
#include "midi/ports/SystemConnection.h"
#include "midi/ports/SystemPortDevice.h"
#include "midi/quiet/QuietAudio.h"

namespace tastiva {

SystemPorts::SystemPorts(std::string clientName) : clientName_(std::move(clientName)) {
  QuietAudioLibraries();
#if defined(__APPLE__)
  systems_.push_back(std::make_shared<SystemConnection>(RtMidi::MACOSX_CORE, PortSystem::kCoreMidi,
                                                        "CoreMIDI", clientName_));
#else
  systems_.push_back(std::make_shared<SystemConnection>(RtMidi::LINUX_ALSA, PortSystem::kAlsa,
                                                        "the ALSA sequencer", clientName_));
  systems_.push_back(std::make_shared<SystemConnection>(RtMidi::UNIX_JACK, PortSystem::kJack,
                                                        "JACK", clientName_));
#endif
}

SystemPorts::~SystemPorts() = default;

std::vector<std::shared_ptr<MidiDevice>> SystemPorts::ListPorts() {
  try {
    std::vector<std::pair<std::shared_ptr<SystemConnection>, std::string>> ports;
    std::vector<std::string> names;
    for (const auto& system : systems_) {
      if (!system->Connect()) continue;  // tried again on the next listing
      std::vector<std::string> fullNames = system->lister().PortNames();
      // JACK lists in registration order, which changes whenever a client restarts.
      if (system->kind() == PortSystem::kJack) std::sort(fullNames.begin(), fullNames.end());
      for (std::string& fullName : fullNames) {
        if (PortClientName(system->kind(), fullName) == clientName_) continue;
        names.push_back(ReadablePortName(system->kind(), fullName));
        ports.emplace_back(system, std::move(fullName));
      }
    }
    MakeNamesUnique(names, kMaxPortNameBytes);

    std::vector<std::shared_ptr<MidiDevice>> devices;
    devices.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
      devices.push_back(std::make_shared<SystemPortDevice>(
          std::move(ports[i].first), std::move(ports[i].second), std::move(names[i])));
    }
    return devices;
  } catch (...) {
    return {};
  }
}

}  // namespace tastiva
