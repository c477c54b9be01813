#pragma once

#include <string>
#include <string_view>

namespace tastiva {

// The words of the refusals midi/devices makes and of those every port backend shares, each
// within winmm's error text buffer (FitText).

// A device call threw: "<subject> failed: <why>.", name in subject's "{}" if it has one
// ("The MIDI port {}").
std::string FailedText(std::string_view subject, std::string_view name, std::string_view why);

// A device whose module did not load (ModuleDevice); reason as the loader says it, usually
// "<file>: <what is wrong>".
std::string NotInstalledText(std::string_view device, std::string_view reason);

// A device whose module file was refused before loading it, problem in our own words.
std::string BrokenModuleText(std::string_view device, std::string_view file,
                             std::string_view problem);

// The port named went away.
std::string PortGoneText(std::string_view port);

// Its system (named as its users know it: "JACK", "the ALSA sequencer") is not running.
std::string PortSystemDownText(std::string_view port, std::string_view system);

// Opening the port failed for no reason given.
std::string PortNotOpenedText(std::string_view port);

}  // namespace tastiva
