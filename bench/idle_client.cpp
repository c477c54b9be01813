// The floors: the least a process can do to hold a JACK MIDI port open through RtMidi, or
// FluidSynth alone with the program's settings and SoundFont, on JACK (its outputs connected
// to the playback ports, as the program's are) or on PulseAudio through FluidSynth's own
// driver. FluidSynth plays the lines "noteon CHAN KEY VEL" and "noteoff CHAN KEY" read from
// stdin. Runs until SIGTERM or SIGINT; prints "ready" once set up.
//
// usage: idle_client rtmidi CLIENT_NAME PORT      (PORT: a full JACK port name, e.g. "a:in")
//        idle_client fluidsynth CLIENT_NAME SOUNDFONT [jack|pulseaudio]
#include <fluidsynth.h>

#include <poll.h>
#include <unistd.h>

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

// Plays what stdin says until a signal; at the end of stdin only a signal is waited for.
void PlayStdinUntilSignal(fluid_synth_t* synth) {
  std::puts("ready");
  std::fflush(stdout);
  sigset_t none;
  sigemptyset(&none);
  pollfd input{STDIN_FILENO, POLLIN, 0};
  std::string pending;
  while (!stop) {
    if (ppoll(&input, input.fd < 0 ? 0 : 1, nullptr, &none) <= 0) continue;
    char chunk[256];
    const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
    if (got <= 0) {
      input.fd = -1;
      continue;
    }
    pending.append(chunk, static_cast<std::size_t>(got));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;
         pending.erase(0, end + 1)) {
      int channel = 0, key = 0, velocity = 0;
      const char* line = pending.c_str();
      if (std::sscanf(line, "noteon %d %d %d", &channel, &key, &velocity) == 3) {
        fluid_synth_noteon(synth, channel, key, velocity);
      } else if (std::sscanf(line, "noteoff %d %d", &channel, &key) == 2) {
        fluid_synth_noteoff(synth, channel, key);
      }
    }
  }
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

int FluidSynthAlone(const char* name, const char* soundFont, const std::string& audioDriver) {
  const tastiva::FluidSettingsHandle settings = tastiva::MakeSynthSettings(48000);
  if (!settings) return 1;
  tastiva::ChooseAudioDriver(settings.get(), audioDriver, name);
  const tastiva::FluidSynthHandle synth = tastiva::NewFluidSynth(settings);
  if (!synth || fluid_synth_sfload(synth.get(), soundFont, 1) == FLUID_FAILED) {
    std::fprintf(stderr, "idle_client: cannot load %s\n", soundFont);
    return 1;
  }
  const tastiva::FluidDriverPtr driver(new_fluid_audio_driver(settings.get(), synth.get()));
  if (!driver) {
    std::fprintf(stderr, "idle_client: no %s audio driver\n", audioDriver.c_str());
    return 1;
  }
  PlayStdinUntilSignal(synth.get());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 && !(argc == 5 && std::strcmp(argv[1], "fluidsynth") == 0)) {
    std::fprintf(stderr,
                 "usage: idle_client rtmidi CLIENT_NAME PORT | fluidsynth CLIENT_NAME "
                 "SOUNDFONT [jack|pulseaudio]\n");
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
  if (std::strcmp(argv[1], "fluidsynth") == 0)
    return FluidSynthAlone(argv[2], argv[3], argc == 5 ? argv[4] : "jack");
  return 2;
}
