#include "JackBench.h"

#include <jack/midiport.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "midi/MidiResults.h"
#include "tests/support/JackServer.h"

namespace bench {

using namespace std::chrono_literals;

std::uint32_t Message(int i) {
  const auto note = static_cast<std::uint32_t>(53 + i / 2 % 32);
  return 0x90u | note << 8 | (i % 2 == 0 ? 0x7Fu << 16 : 0u);
}

void SendRt(RtMidiOut& out, std::uint32_t m) {
  const unsigned char bytes[3] = {static_cast<unsigned char>(m), static_cast<unsigned char>(m >> 8),
                                  static_cast<unsigned char>(m >> 16)};
  out.sendMessage(bytes, 3);
}

void OpenRt(RtMidiOut& out) {
  for (unsigned i = 0; i < out.getPortCount(); ++i) {
    if (out.getPortName(i) == "sink:in") out.openPort(i);
  }
}

// Started as the tests start theirs (scripts/lib/servers.sh).
tastiva::test::PrivateServer server{"tastiva-bench-faults"};

pid_t StartServer(int period) {
  server.driver = "-d dummy -r 48000 -p " + std::to_string(period);
  if (!server.Start()) {
    std::fprintf(stderr, "jack bench: jackd did not start\n");
    std::exit(1);
  }
  server.Use();
  setenv("JACK_NO_START_SERVER", "1", 1);
  return server.pid;
}

void KillServer(pid_t) {
  server.Kill();
}

Sink::Sink()
    : client(jack_client_open("sink", JackNoStartServer, nullptr)),
      port(jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0)) {
  if (port == nullptr) {
    std::fprintf(stderr, "jack bench: no receiver: %s\n", client ? "no port" : "no server");
    std::exit(1);
  }
  jack_set_process_callback(client, &Sink::Process, this);
  jack_set_xrun_callback(
      client, [](void* self) { return ++static_cast<Sink*>(self)->xruns, 0; }, this);
  jack_activate(client);
}

Sink::~Sink() {
  jack_client_close(client);
}

int Sink::Process(jack_nframes_t nframes, void* self) {
  auto* sink = static_cast<Sink*>(self);
  void* buffer = jack_port_get_buffer(sink->port, nframes);
  const auto period = static_cast<std::size_t>(sink->periods++ % kMaxPeriods);
  sink->frames[period] = jack_last_frame_time(sink->client);
  sink->firsts[period] = sink->lasts[period] = -1;
  jack_midi_event_t event;
  for (std::uint32_t i = 0; jack_midi_event_get(&event, buffer, i) == 0; ++i) {
    if (event.size < 3) continue;
    (event.buffer[2] != 0 ? sink->ons : sink->offs) += 1;
    sink->lasts[period] = event.buffer[1] | event.buffer[2] << 7;
    if (i == 0) sink->firsts[period] = sink->lasts[period];
  }
  return 0;
}

void Sink::Settle() {
  for (int last = -1; last != ons + offs;) {
    last = ons + offs;
    std::this_thread::sleep_for(200ms);
  }
}

std::shared_ptr<tastiva::MidiDevice> OpenSink(tastiva::JackPorts& ports) {
  for (const auto& port : ports.ListPorts().ports) {
    if (port.longName != "sink:in") continue;
    auto device = port.make(port.longName);
    if (device->Open().code == tastiva::MMSYSERR_NOERROR) return device;
  }
  std::fprintf(stderr, "jack bench: cannot open sink:in\n");
  std::exit(1);
}

}  // namespace bench
