#pragma once

// What the JACK fault benchmarks share: a server of their own, a counting receiver, the
// program's output and RtMidi's opened on it.
#include <RtMidi.h>
#include <jack/jack.h>
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "midi/devices/MidiDevice.h"
#include "midi/jack/JackPorts.h"

namespace bench {

// Note-on and note-off by turns, the note moving on with every pair.
std::uint32_t Message(int i);

// A JACK server on the dummy driver at 48 kHz, for this process's clients.
pid_t StartServer(int period);
// SIGKILL, and what the server leaves behind removed.
void KillServer(pid_t pid);

// The receiver "sink:in": counts note-ons and note-offs, the xruns, and keeps each period's
// frame time and the numbers of what came (for senders that number their events).
struct Sink {
  static constexpr int kMaxPeriods = 1 << 16;
  jack_client_t* client;
  jack_port_t* port;
  std::atomic<int> ons{0}, offs{0}, xruns{0}, periods{0};
  std::vector<jack_nframes_t> frames = std::vector<jack_nframes_t>(kMaxPeriods);
  std::vector<int> firsts = std::vector<int>(kMaxPeriods, -1);
  std::vector<int> lasts = std::vector<int>(kMaxPeriods, -1);

  Sink();
  ~Sink();
  // Waits until nothing arrives for 200 ms.
  void Settle();

 private:
  static int Process(jack_nframes_t nframes, void* self);
};

// The program's output to the sink.
std::shared_ptr<tastiva::MidiDevice> OpenSink(tastiva::JackPorts& ports);
// RtMidi's output to the sink.
void OpenRt(RtMidiOut& out);
void SendRt(RtMidiOut& out, std::uint32_t message);

}  // namespace bench
