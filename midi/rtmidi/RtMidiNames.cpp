#include "midi/rtmidi/RtMidiNames.h"

#include <regex>

#include "midi/devices/DeviceNames.h"

namespace tastiva {

namespace {

// "Client:Port 128:0" without the trailing client and port numbers.
std::string WithoutAlsaAddress(const std::string& fullName) {
  static const std::regex address(R"( [0-9]+:[0-9]+$)");
  return std::regex_replace(fullName, address, "");
}

}  // namespace

std::string RtMidiClientName(RtMidi::Api api, const std::string& fullName) {
  if (api != RtMidi::LINUX_ALSA) return {};
  return SplitAtColon(WithoutAlsaAddress(fullName)).first;
}

std::string RtMidiLongName(RtMidi::Api api, const std::string& fullName) {
  if (api != RtMidi::LINUX_ALSA) return fullName;
  const auto [client, port] = SplitAtColon(WithoutAlsaAddress(fullName));
  return MergeClientAndPort(client, port);
}

}  // namespace tastiva
