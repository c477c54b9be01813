// A JACK client that times real input to the program's output, on the JACK clock.
//
// Commands, one a line on stdin:
//   midi N   N rounds, each a real X key press (XTEST) timed to the program's note-on at this
//            client's MIDI input "in", then a note-on sent straight through RtMidi to the same
//            input: the cost of the JACK period alone, measured the same way.
//   audio N  N rounds, each a real key press timed to the first sample above the threshold at
//            the audio inputs "left"/"right" (connect the program's synthesizer to them), then
//            a note-on given straight to a FluidSynth of our own on JACK, set up as the
//            program sets its own up and connected to the same inputs: the cost of the period
//            and of the SoundFont's attack alone.
//   quiet N MS  N rounds of key presses timed to the first loud sample as with audio, each
//            after MS of silence at the audio inputs (a synthesizer that has gone to sleep).
//   quit
// Output lines: "ready"; "in <hex bytes>" for MIDI arriving between commands;
// "midi key|ref <latency_us> <floor_us>"; "audio key|ref|quiet <latency_us> <floor_us>";
// "missing <what>" ("... xrun" for a sample taken again); "done <command> xruns=<n> dropped=<n>".
// An arrival is the moment our process callback began in the period it arrived in, plus its
// frame offset; the floor is that moment of the first period after the send, the earliest
// anything sent then can arrive. A sample with an xrun in between is taken again.
//
// usage: latency_probe [--keycode 24] [--threshold 0.001] [--soundfont FILE] CLIENT_NAME

#include <poll.h>
#include <unistd.h>

#include <RtMidi.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "DirectSynth.h"
#include "JackCapture.h"
#include "ProbeRounds.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: latency_probe [--keycode N] [--threshold X] [--soundfont FILE] "
               "CLIENT_NAME\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int keycode = 24;
  const char* name = nullptr;
  std::string soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  JackCapture::Options options;
  options.audio = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keycode") == 0 && i + 1 < argc) {
      keycode = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--soundfont") == 0 && i + 1 < argc) {
      soundFont = argv[++i];
    } else if (std::strcmp(argv[i], "--threshold") == 0 && i + 1 < argc) {
      options.threshold = static_cast<float>(std::atof(argv[++i]));
    } else if (argv[i][0] == '-' || name) {
      return Usage();
    } else {
      name = argv[i];
    }
  }
  if (!name) return Usage();

  JackCapture capture;
  if (std::string error; !capture.Open(name, options, error)) {
    std::fprintf(stderr, "latency_probe: %s\n", error.c_str());
    return 1;
  }

  // The reference sender: RtMidi's JACK output, as the program uses it, into our input.
  std::unique_ptr<RtMidiOut> direct;
  try {
    direct = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, std::string(name) + "-direct");
    const std::string target = std::string(name) + ":in";
    for (unsigned i = 0; i < direct->getPortCount(); ++i) {
      if (direct->getPortName(i) == target) direct->openPort(i, "out");
    }
  } catch (const RtMidiError& e) {
    std::fprintf(stderr, "latency_probe: %s\n", e.what());
    return 1;
  }
  if (!direct->isPortOpen()) {
    std::fprintf(stderr, "latency_probe: cannot connect RtMidi to our input\n");
    return 1;
  }

  Keyboard keyboard(keycode);
  const bool haveKeyboard = keyboard.Open();
  Line("ready");

  std::string pending;
  for (;;) {
    // Between commands: show what arrives, so a caller can see the program chose our port.
    JackCapture::Record r;
    while (capture.Next(r)) {
      if (r.kind == JackCapture::Kind::kMidi) Line("in " + Hex(r.bytes));
    }
    pollfd input{0, POLLIN, 0};
    if (poll(&input, 1, 2) <= 0) continue;
    char chunk[256];
    const ssize_t got = read(0, chunk, sizeof chunk);
    if (got <= 0) break;
    pending.append(chunk, static_cast<std::size_t>(got));
    std::size_t newline;
    bool quit = false;
    while ((newline = pending.find('\n')) != std::string::npos) {
      const std::string command = pending.substr(0, newline);
      pending.erase(0, newline + 1);
      char verb[16] = {};
      int count = 0;
      int quietMs = 0;
      if (std::sscanf(command.c_str(), "%15s %d %d", verb, &count, &quietMs) < 1) continue;
      const std::uint64_t xrunsBefore = capture.xruns();
      if (std::strcmp(verb, "quit") == 0) {
        quit = true;
        break;
      } else if (!haveKeyboard) {
        Line("missing keyboard (no X display with XTEST)");
      } else if (std::strcmp(verb, "midi") == 0) {
        MidiRounds(capture, count, keyboard, *direct);
      } else if (std::strcmp(verb, "audio") == 0) {
        // Only while measuring: its period work would weigh on the other figures.
        DirectSynth synth;
        if (synth.Open(std::string(name) + "-synth", soundFont, capture.client())) {
          AudioRounds(capture, count, keyboard, &synth, 50, "key");
        } else {
          Line("missing direct synthesizer");
        }
      } else if (std::strcmp(verb, "quiet") == 0) {
        AudioRounds(capture, count, keyboard, nullptr, quietMs, "quiet");
      } else {
        Line("missing command " + command);
      }
      Line("done " + std::string(verb) + " xruns=" + std::to_string(capture.xruns() - xrunsBefore) +
           " dropped=" + std::to_string(capture.dropped()));
    }
    if (quit) break;
  }
  direct.reset();
  return 0;
}
