#include "DirectSynth.h"

DirectSynth::~DirectSynth() = default;

bool DirectSynth::Open(const std::string& name, const std::string& soundFont,
                       jack_client_t* probe) {
  settings_ = tastiva::MakeSynthSettings(48000);
  if (!settings_) return false;
  tastiva::ChooseAudioDriver(settings_.get(), "jack", name, false);
  synth_ = tastiva::NewFluidSynth(settings_);
  if (!synth_ || fluid_synth_sfload(synth_.get(), soundFont.c_str(), 1) == FLUID_FAILED) {
    return false;
  }
  driver_.reset(new_fluid_audio_driver(settings_.get(), synth_.get()));
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
    fluid_synth_noteon(synth_.get(), 0, 53, 127);
  } else {
    fluid_synth_noteoff(synth_.get(), 0, 53);
  }
}
