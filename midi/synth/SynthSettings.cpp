#include "midi/synth/SynthSettings.h"

namespace tastiva {

FluidSettingsHandle MakeSynthSettings(int sampleRate) {
  FluidSettingsHandle settings = NewFluidSettings();
  if (!settings) return nullptr;
  fluid_settings_t* s = settings.get();
  fluid_settings_setnum(s, "synth.sample-rate", sampleRate);
  fluid_settings_setint(s, "synth.cpu-cores", 1);
  // 32 keys of a few voices each, with their release: half FluidSynth's 256 voices, which
  // would hold 1.4 MB more.
  fluid_settings_setint(s, "synth.polyphony", 128);
  // Only the instruments played are read in: opening costs little even with a large font.
  fluid_settings_setint(s, "synth.dynamic-sample-loading", 1);
  return settings;
}

void ChooseAudioDriver(fluid_settings_t* settings, const std::string& driver,
                       const std::string& jackName, bool connect) {
  fluid_settings_setstr(settings, "audio.driver", driver.c_str());
  int periodSize = 0;
  int periods = 0;
  if (driver == "pulseaudio") {
    periodSize = 512;  // smaller sizes underrun under PulseAudio and PipeWire
    periods = 2;
  } else if (driver == "alsa") {
    periodSize = 256;
    periods = 3;
  } else {
    // JACK dictates its own period; others keep FluidSynth's defaults.
    fluid_settings_getint_default(settings, "audio.period-size", &periodSize);
    fluid_settings_getint_default(settings, "audio.periods", &periods);
  }
  fluid_settings_setint(settings, "audio.period-size", periodSize);
  fluid_settings_setint(settings, "audio.periods", periods);
  if (driver == "jack") {
    // libjack starts a server when none runs unless JACK_NO_START_SERVER is set, which the
    // program does at start-up.
    fluid_settings_setint(settings, "audio.jack.autoconnect", connect ? 1 : 0);
    fluid_settings_setstr(settings, "audio.jack.id", jackName.c_str());
  }
}

}  // namespace tastiva
