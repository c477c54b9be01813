#include "midi/jack/JackNames.h"

#include <regex>

#include "midi/devices/DeviceNames.h"

namespace tastiva {

std::string JackClientName(const std::string& fullName) {
  return SplitAtColon(fullName).first;
}

std::string JackLongName(const std::string& fullName) {
  const auto [client, port] = SplitAtColon(fullName);
  if (client.empty()) return port;
  // The a2jmidid bridge names its ports "Alsa Client [14] (playback): Alsa Port".
  static const std::regex bridged(R"(^(.*) \[[0-9]+\] \((playback|capture)\): (.*)$)");
  std::smatch match;
  if (std::regex_match(port, match, bridged)) {
    return client + ":" + MergeClientAndPort(match[1], match[3]);
  }
  return client + ":" + port;
}

}  // namespace tastiva
