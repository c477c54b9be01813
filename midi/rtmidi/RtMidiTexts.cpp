#include "midi/rtmidi/RtMidiTexts.h"

#include "midi/devices/FitText.h"

namespace tastiva {

std::string RtStoppedAcceptingText(std::string_view port) {
  return FitText(
      "The MIDI port {} stopped accepting messages. Choose it again, or choose another device.",
      {port});
}

}  // namespace tastiva
