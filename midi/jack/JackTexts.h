#pragma once

#include <string>
#include <string_view>

namespace tastiva {

// The words of the refusals of JACK's MIDI ports (and those of every port, DeviceTexts.h),
// each within winmm's error text buffer.

// The server did not answer while the port was being opened.
std::string JackOpenStallText(std::string_view port);

// Its graph stands still: nothing sent reaches the port.
std::string JackSendStallText(std::string_view port);

// The server went away while the port was open.
std::string JackStoppedText(std::string_view port);

// A listing without JACK's ports: the server did not answer.
std::string JackNotListedText();

}  // namespace tastiva
