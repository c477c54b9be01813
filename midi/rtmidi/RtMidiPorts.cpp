#include "midi/rtmidi/RtMidiPorts.h"

#include <utility>

#include "midi/quiet/QuietAudio.h"
#include "midi/rtmidi/RtMidiNames.h"
#include "midi/rtmidi/RtMidiPortDevice.h"
#include "midi/rtmidi/RtMidiSystem.h"

namespace tastiva {

RtMidiPorts::RtMidiPorts(RtMidi::Api api, const char* label, std::string clientName)
    : clientName_(std::move(clientName)),
      system_(std::make_shared<RtMidiSystem>(api, label, clientName_)) {
  QuietAudioLibraries();
}

RtMidiPorts::~RtMidiPorts() = default;

PortListing RtMidiPorts::ListPorts() {
  PortListing listing;
  if (!system_->Connect()) return listing;  // tried again on the next listing
  const RtMidi::Api api = system_->api();
  for (std::string& fullName : system_->lister().PortNames()) {
    if (RtMidiClientName(api, fullName) == clientName_) continue;  // another copy of ours
    std::string longName = RtMidiLongName(api, fullName);
    listing.ports.push_back(
        {std::move(longName),
         [system = system_, fullName = std::move(fullName)](const std::string& name) {
           return std::make_shared<RtMidiPortDevice>(system, fullName, name);
         }});
  }
  return listing;
}

}  // namespace tastiva
