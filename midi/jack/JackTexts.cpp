#include "midi/jack/JackTexts.h"

#include "midi/devices/FitText.h"

namespace tastiva {

std::string JackOpenStallText(std::string_view port) {
  return FitText(
      "JACK is not responding: the MIDI port {} cannot be opened. Choose it later, or another "
      "device.",
      {port});
}

std::string JackSendStallText(std::string_view port) {
  return FitText(
      "JACK is not responding: nothing reaches the MIDI port {} while it stands still. Wait, or "
      "choose another device.",
      {port});
}

std::string JackStoppedText(std::string_view port) {
  return FitText(
      "The MIDI port {} is gone: JACK stopped. Start it, then choose the port again or another "
      "device.",
      {port});
}

std::string JackNotListedText() {
  return "JACK is not responding: its MIDI ports are not listed.";
}

}  // namespace tastiva
