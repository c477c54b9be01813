#include "midi/ports/SystemPorts.h"

#include <functional>
#include <utility>

#include "midi/ports/PortNames.h"
#include "midi/ports/SystemConnection.h"
#include "midi/ports/SystemPortDevice.h"
#include "midi/quiet/QuietAudio.h"

#if defined(__linux__)
#include "midi/ports/JackPortDevice.h"
#include "midi/ports/JackSystem.h"
#endif

namespace tastiva {

SystemPorts::SystemPorts(std::string clientName) : clientName_(std::move(clientName)) {
  QuietAudioLibraries();
#if defined(__APPLE__)
  systems_.push_back(std::make_shared<SystemConnection>(RtMidi::MACOSX_CORE, PortSystem::kCoreMidi,
                                                        "CoreMIDI", clientName_));
#else
  systems_.push_back(std::make_shared<SystemConnection>(RtMidi::LINUX_ALSA, PortSystem::kAlsa,
                                                        "the ALSA sequencer", clientName_));
#endif
#if defined(__linux__)
  jack_ = std::make_shared<JackSystem>(clientName_);
#endif
}

SystemPorts::~SystemPorts() = default;

void SystemPorts::Prepare() {
#if defined(__linux__)
  jack_->Begin();
#endif
}

std::vector<std::shared_ptr<MidiDevice>> SystemPorts::ListPorts() {
  try {
    // Each port's full name, and how to make its device once its name is known.
    using Make = std::function<std::shared_ptr<MidiDevice>(std::string name)>;
    std::vector<Make> makers;
    std::vector<std::string> names;
    const auto add = [&](PortSystem kind, std::string fullName, auto make) {
      if (PortClientName(kind, fullName) == clientName_) return;  // another copy of ours
      names.push_back(LongPortName(kind, fullName));
      makers.push_back([make, fullName = std::move(fullName)](std::string name) {
        return make(fullName, std::move(name));
      });
    };
    for (const auto& system : systems_) {
      if (!system->Connect()) continue;  // tried again on the next listing
      for (std::string& fullName : system->lister().PortNames()) {
        add(system->kind(), std::move(fullName), [system](std::string full, std::string name) {
          return std::make_shared<SystemPortDevice>(system, std::move(full), std::move(name));
        });
      }
    }
#if defined(__linux__)
    if (jack_->Connect() == JackSystem::State::kConnected) {
      for (std::string& fullName : jack_->PortNames()) {
        add(PortSystem::kJack, std::move(fullName),
            [jack = jack_](std::string full, std::string name) {
              return std::make_shared<JackPortDevice>(jack, std::move(full), std::move(name));
            });
      }
    }
#endif
    names = DeviceNames(names, kMaxPortNameBytes);

    std::vector<std::shared_ptr<MidiDevice>> devices;
    devices.reserve(makers.size());
    for (std::size_t i = 0; i < makers.size(); ++i) devices.push_back(makers[i](names[i]));
    return devices;
  } catch (...) {
    return {};
  }
}

}  // namespace tastiva
