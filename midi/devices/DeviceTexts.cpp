#include "midi/devices/DeviceTexts.h"

#include <algorithm>

#include "midi/devices/DeviceNames.h"
#include "midi/devices/FitText.h"

namespace tastiva {

std::string FailedText(std::string_view subject, std::string_view name, std::string_view why) {
  const std::string pattern = std::string(subject) + " failed: {}.";
  if (subject.find("{}") == std::string_view::npos) return FitText(pattern, {why});
  return FitText(pattern, {name, why});
}

std::string NotInstalledText(std::string_view device, std::string_view reason) {
  const std::size_t colon = reason.find(": ");
  if (colon == std::string_view::npos) {
    return FitText("The {} is not installed properly: {}. Install the program again.",
                   {device, reason});
  }
  // The loader's words say what is wrong: the file they name gives up bytes first, down to a
  // third of the room the fixed words and the device leave.
  constexpr std::string_view kPattern =
      "The {} is not installed properly: {}: {}. Install the program again.";
  const std::string_view file = reason.substr(0, colon);
  const std::string_view words = reason.substr(colon + 2);
  const std::size_t used = kPattern.size() - 3 * 2 + device.size();
  const std::size_t room = used < kMaxTextBytes ? kMaxTextBytes - used : 0;
  const std::size_t fileRoom = std::max(room / 3, room > words.size() ? room - words.size() : 0);
  const std::string shortFile =
      file.size() > fileRoom ? ShortenName(std::string(file), fileRoom) : std::string(file);
  return FitText(kPattern, {device, shortFile, words});
}

std::string BrokenModuleText(std::string_view device, std::string_view file,
                             std::string_view problem) {
  return FitText("The {} is not installed properly: {}: " + std::string(problem) +
                     ". Install the program again.",
                 {device, file});
}

std::string PortGoneText(std::string_view port) {
  return FitText(
      "The MIDI port {} is gone. Connect it again and choose it again, or choose another device.",
      {port});
}

std::string PortSystemDownText(std::string_view port, std::string_view system) {
  return FitText("The MIDI port {} is gone: " + std::string(system) +
                     " is not running. Start it, or choose another device.",
                 {port});
}

std::string PortNotOpenedText(std::string_view port) {
  return FitText("The MIDI port {} could not be opened. Try again, or choose another device.",
                 {port});
}

}  // namespace tastiva
