#pragma once

#include <string>
#include <string_view>

namespace tastiva {

// The words of the refusals of the ports RtMidi reaches (beside those of every port,
// DeviceTexts.h), within winmm's error text buffer.

// The port, open, refused a message.
std::string RtStoppedAcceptingText(std::string_view port);

}  // namespace tastiva
