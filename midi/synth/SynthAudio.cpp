#include "midi/synth/SynthAudio.h"

#include "midi/quiet/QuietAudio.h"

namespace tastiva {

namespace {

void Configure(fluid_settings_t* settings, const std::string& name) {
  fluid_settings_setstr(settings, "audio.driver", name.c_str());
  int periodSize = 0;
  int periods = 0;
  if (name == "pulseaudio") {
    periodSize = 512;  // smaller sizes underrun under PulseAudio and PipeWire
    periods = 2;
  } else if (name == "alsa") {
    periodSize = 256;
    periods = 3;
  } else {
    // JACK dictates its own period; others keep FluidSynth's defaults.
    fluid_settings_getint_default(settings, "audio.period-size", &periodSize);
    fluid_settings_getint_default(settings, "audio.periods", &periods);
  }
  fluid_settings_setint(settings, "audio.period-size", periodSize);
  fluid_settings_setint(settings, "audio.periods", periods);
  if (name == "jack") {
    // libjack starts a server when none runs unless JACK_NO_START_SERVER is set, which the
    // program does at start-up.
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
    fluid_settings_setstr(settings, "audio.jack.id", "Tastiva");
  }
}

}  // namespace

bool SynthAudio::Start(fluid_settings_t* settings, fluid_synth_t* synth,
                       const std::vector<std::string>& drivers) {
  // Drivers whose server or card is missing print on failing, though the next one may work.
  QuietAudioLibraries();
  for (const std::string& name : drivers) {
    Configure(settings, name);
    driver_.reset(new_fluid_audio_driver(settings, synth));
    if (driver_) return true;
  }
  return false;
}

}  // namespace tastiva
