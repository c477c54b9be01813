#include "midi/quiet/QuietAudio.h"

#include <mutex>

#if defined(__linux__)
#include <alsa/asoundlib.h>
#include <jack/jack.h>
#endif

namespace tastiva {

namespace {

#if defined(__linux__)
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
void IgnoreJackMessage(const char*) {}
#endif

}  // namespace

void QuietAudioLibraries() {
#if defined(__linux__)
  static std::once_flag once;
  std::call_once(once, [] {
    snd_lib_error_set_handler(&IgnoreAlsaError);
    jack_set_error_function(&IgnoreJackMessage);
    jack_set_info_function(&IgnoreJackMessage);
  });
#endif
}

}  // namespace tastiva
