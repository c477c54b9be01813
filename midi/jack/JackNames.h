#pragma once

#include <string>

namespace tastiva {

// The owning client's name in a JACK port's full name ("client:port").
std::string JackClientName(const std::string& fullName);

// A readable name for a JACK port's full name, of any length: client and port, and of a port
// the a2jmidid bridge makes for an ALSA port, the ALSA names.
std::string JackLongName(const std::string& fullName);

}  // namespace tastiva
