#include "app/Environment.h"

#include <cstdlib>
#include <string>

namespace tastiva {

void PrepareEnvironment() {
#ifndef _WIN32
  // libjack would start a server of its own when none runs, stalling the built-in synthesizer
  // for seconds; the program only joins a server the user started. A user's own choice stays.
  setenv("JACK_NO_START_SERVER", "1", 0);
  // Sound mixers (PulseAudio's, and PipeWire's through its PulseAudio service) name the
  // stream after its client, which FluidSynth calls FluidSynth, and show no icon. Properties
  // the user overrides come after these and win.
  std::string client = "application.name='Tastiva' application.id='" TASTIVA_APP_ID
                       "' application.icon_name='" TASTIVA_APP_ID "'";
  if (const char* own = std::getenv("PULSE_PROP_OVERRIDE"); own != nullptr && own[0] != '\0') {
    client = client + ' ' + own;
  }
  setenv("PULSE_PROP_OVERRIDE", client.c_str(), 1);
#endif
}

}  // namespace tastiva
