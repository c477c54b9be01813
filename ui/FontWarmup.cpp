#include "ui/FontWarmup.h"

#ifdef TASTIVA_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>

#include <thread>
#endif

namespace tastiva {

void WarmUpFonts() {
#ifdef TASTIVA_HAVE_FONTCONFIG
  // Qt's own FcInit then finds the configuration loaded. The program ends with _Exit, so a
  // thread still reading could not hold up its end.
  try {
    std::thread([] { FcInit(); }).detach();
  } catch (...) {
    // No thread: Qt reads the configuration itself when it needs it.
  }
#endif
}

}  // namespace tastiva
