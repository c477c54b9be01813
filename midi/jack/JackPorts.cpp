#include "midi/jack/JackPorts.h"

#include <utility>

#include "midi/jack/JackNames.h"
#include "midi/jack/JackPortDevice.h"
#include "midi/jack/JackSystem.h"
#include "midi/jack/JackTexts.h"
#include "midi/quiet/QuietAudio.h"

namespace tastiva {

JackPorts::JackPorts(std::string clientName)
    : clientName_(std::move(clientName)), jack_(std::make_shared<JackSystem>(clientName_)) {
  QuietAudioLibraries();
}

JackPorts::~JackPorts() = default;

void JackPorts::Prepare() {
  jack_->Begin();
}

PortListing JackPorts::ListPorts() {
  PortListing listing;
  switch (jack_->Connect()) {
    case JackSystem::State::kConnected:
      break;
    case JackSystem::State::kNoServer:
      return listing;
    case JackSystem::State::kNotResponding:
      listing.problem = JackNotListedText();
      return listing;
  }
  for (std::string& fullName : jack_->PortNames()) {
    if (JackClientName(fullName) == clientName_) continue;  // another copy of ours
    std::string longName = JackLongName(fullName);
    listing.ports.push_back({std::move(longName), [jack = jack_, fullName = std::move(fullName)](
                                                      const std::string& name) {
                               return std::make_shared<JackPortDevice>(jack, fullName, name);
                             }});
  }
  return listing;
}

}  // namespace tastiva
