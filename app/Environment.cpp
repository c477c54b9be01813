#include "app/Environment.h"

#include <cstdlib>

namespace tastiva {

void PrepareEnvironment() {
#ifndef _WIN32
  // libjack would start a server of its own when none runs, stalling the built-in synthesizer
  // for seconds; the program only joins a server the user started. A user's own choice stays.
  setenv("JACK_NO_START_SERVER", "1", 0);
#endif
}

}  // namespace tastiva
