#include "DirectSynth.h"

DirectSynth::~DirectSynth() {
  if (driver_) delete_fluid_audio_driver(driver_);
  if (synth_) delete_fluid_synth(synth_);
  if (settings_) delete_fluid_settings(settings_);
}

bool DirectSynth::Open(const std::string& name, const std::string& soundFont,
                       jack_client_t* probe) {
  settings_ = new_fluid_settings();
  fluid_settings_setnum(settings_, "synth.sample-rate", 48000);
  fluid_settings_setint(settings_, "synth.cpu-cores", 1);
  fluid_settings_setint(settings_, "synth.polyphony", 128);
  fluid_settings_setint(settings_, "synth.dynamic-sample-loading", 1);
  fluid_settings_setstr(settings_, "audio.driver", "jack");
  fluid_settings_setint(settings_, "audio.jack.autoconnect", 0);
  fluid_settings_setstr(settings_, "audio.jack.id", name.c_str());
  synth_ = new_fluid_synth(settings_);
  if (!synth_ || fluid_synth_sfload(synth_, soundFont.c_str(), 1) == FLUID_FAILED) return false;
  driver_ = new_fluid_audio_driver(settings_, synth_);
  if (!driver_) return false;
  const std::string ours = jack_get_client_name(probe);
  const char** ports = jack_get_ports(probe, ("^" + name + "[^:]*:").c_str(),
                                      JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
  int connected = 0;
  for (int i = 0; ports && ports[i] && i < 2; ++i) {
    const std::string input = ours + (i == 0 ? ":left" : ":right");
    if (jack_connect(probe, ports[i], input.c_str()) == 0) ++connected;
  }
  if (ports) jack_free(ports);
  return connected == 2;
}

void DirectSynth::Note(bool on) {
  if (on) {
    fluid_synth_noteon(synth_, 0, 53, 127);
  } else {
    fluid_synth_noteoff(synth_, 0, 53);
  }
}
