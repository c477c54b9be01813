// The floors for idle CPU: the least a process can do to hold a JACK MIDI port open through
// RtMidi, or to keep FluidSynth playing through JACK with the program's SoundFont and settings.
// Runs until SIGTERM or SIGINT; prints "ready" once set up.
//
// usage: idle_client rtmidi CLIENT_NAME PORT      (PORT: a full JACK port name, e.g. "a:in")
//        idle_client fluidsynth CLIENT_NAME SOUNDFONT
#include <fluidsynth.h>

#include <RtMidi.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "midi/synth/SynthSettings.h"

namespace {

volatile std::sig_atomic_t stop = 0;

void OnSignal(int) {
  stop = 1;
}

// The signals stay blocked elsewhere (JACK's threads inherit that), so none is lost here.
void WaitForSignal() {
  std::puts("ready");
  std::fflush(stdout);
  sigset_t none;
  sigemptyset(&none);
  while (!stop) sigsuspend(&none);
}

int RtMidiIdle(const char* name, const std::string& port) {
  try {
    RtMidiOut out(RtMidi::UNIX_JACK, name);
    for (unsigned i = 0; i < out.getPortCount(); ++i) {
      if (out.getPortName(i) == port) out.openPort(i, "out");
    }
    if (!out.isPortOpen()) {
      std::fprintf(stderr, "idle_client: no port %s\n", port.c_str());
      return 1;
    }
    WaitForSignal();
  } catch (const RtMidiError& e) {
    std::fprintf(stderr, "idle_client: %s\n", e.what());
    return 1;
  }
  return 0;
}

// With the program's settings, on JACK.
int FluidSynthIdle(const char* name, const char* soundFont) {
  const tastiva::FluidSettingsHandle settings = tastiva::MakeSynthSettings(48000);
  if (!settings) return 1;
  tastiva::ChooseAudioDriver(settings.get(), "jack", name);
  const tastiva::FluidSynthHandle synth = tastiva::NewFluidSynth(settings);
  if (!synth || fluid_synth_sfload(synth.get(), soundFont, 1) == FLUID_FAILED) {
    std::fprintf(stderr, "idle_client: cannot load %s\n", soundFont);
    return 1;
  }
  const tastiva::FluidDriverPtr driver(new_fluid_audio_driver(settings.get(), synth.get()));
  if (!driver) {
    std::fprintf(stderr, "idle_client: no JACK audio driver\n");
    return 1;
  }
  WaitForSignal();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr,
                 "usage: idle_client rtmidi CLIENT_NAME PORT | fluidsynth CLIENT_NAME SOUNDFONT\n");
    return 2;
  }
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigaddset(&blocked, SIGINT);
  sigprocmask(SIG_BLOCK, &blocked, nullptr);
  if (std::strcmp(argv[1], "rtmidi") == 0) return RtMidiIdle(argv[2], argv[3]);
  if (std::strcmp(argv[1], "fluidsynth") == 0) return FluidSynthIdle(argv[2], argv[3]);
  return 2;
}
