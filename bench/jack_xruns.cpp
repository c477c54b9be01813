// Note messages lost under heavy JACK xruns, with the program's JACK output and RtMidi's, and
// where JACK itself loses what a client writes.
//
//   jack_xruns PERIOD MESSAGES LOAD_THREADS
// MESSAGES note messages, two a millisecond, with PERIOD frames while LOAD_THREADS threads
// spin, for each output:  sender NAME ons_lost N offs_lost N extra N xruns N
// Then a bare client writes one numbered event a period for as long, and each period the
// receiver never got is told apart:
//   periods N lost N run_twice N never_read N other N xruns N
// run_twice: the sender's process callback ran twice for that period (same frame time);
// never_read: the receiver never ran for it.
#include <jack/midiport.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>
#include <vector>

#include "JackBench.h"

namespace bench {
namespace {

using namespace std::chrono_literals;

// A bare JACK client writing one event a period, numbered, and the frame time of each period.
struct NumberingSender {
  jack_client_t* client = jack_client_open("numbers", JackNoStartServer, nullptr);
  jack_port_t* port =
      jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  std::atomic<bool> on{false};
  std::atomic<int> count{0};
  std::vector<jack_nframes_t> frames = std::vector<jack_nframes_t>(Sink::kMaxPeriods);

  NumberingSender() {
    jack_set_process_callback(client, &NumberingSender::Process, this);
    jack_activate(client);
    jack_connect(client, "numbers:out", "sink:in");
  }
  ~NumberingSender() { jack_client_close(client); }
  static int Process(jack_nframes_t nframes, void* self) {
    auto* s = static_cast<NumberingSender*>(self);
    void* buffer = jack_port_get_buffer(s->port, nframes);
    jack_midi_clear_buffer(buffer);
    if (!s->on || s->count >= Sink::kMaxPeriods) return 0;
    const int n = s->count++;
    s->frames[static_cast<std::size_t>(n)] = jack_last_frame_time(s->client);
    const jack_midi_data_t event[3] = {0x90, static_cast<jack_midi_data_t>(n & 0x7F),
                                       static_cast<jack_midi_data_t>(n >> 7 & 0x7F)};
    jack_midi_event_write(buffer, 0, event, 3);
    return 0;
  }
};

int Xruns(int period, int messages, int loadThreads) {
  const pid_t server = StartServer(period);
  {
    Sink sink;
    const auto loaded = [&](const char* label, auto body) {
      std::atomic<bool> spinning{true};
      std::vector<std::thread> load;
      for (int t = 0; t < loadThreads; ++t) {
        load.emplace_back([&] {
          while (spinning.load(std::memory_order_relaxed)) {
          }
        });
      }
      const int ons = sink.ons, offs = sink.offs, xruns = sink.xruns;
      body();
      spinning = false;
      for (auto& t : load) t.join();
      sink.Settle();
      if (label == nullptr) return sink.xruns - xruns;
      const int sentOns = (messages + 1) / 2, sentOffs = messages / 2;
      std::printf("sender %s ons_lost %d offs_lost %d extra %d xruns %d\n", label,
                  std::max(0, sentOns - (sink.ons - ons)),
                  std::max(0, sentOffs - (sink.offs - offs)),
                  std::max(0, sink.ons - ons - sentOns) + std::max(0, sink.offs - offs - sentOffs),
                  sink.xruns - xruns);
      return 0;
    };
    const auto paced = [&](auto send) {
      for (int i = 0; i < messages; ++i) {
        send(Message(i));
        if (i % 2 == 1) std::this_thread::sleep_for(1ms);
      }
    };
    {
      tastiva::JackPorts ports("bench-faults");
      const auto device = OpenSink(ports);
      loaded("program", [&] { paced([&](std::uint32_t m) { device->Send(m); }); });
    }
    {
      RtMidiOut rtmidi(RtMidi::UNIX_JACK, "rtmidi");
      OpenRt(rtmidi);
      loaded("RtMidi", [&] { paced([&](std::uint32_t m) { SendRt(rtmidi, m); }); });
    }
    NumberingSender numbers;
    std::this_thread::sleep_for(200ms);
    const int first = sink.periods;
    const int xruns = loaded(nullptr, [&] {
      numbers.on = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(messages / 2));
      numbers.on = false;
    });
    std::map<jack_nframes_t, int> runs, read;
    std::vector<bool> got(static_cast<std::size_t>(numbers.count));
    for (int p = first; p < sink.periods && p - first < Sink::kMaxPeriods; ++p) {
      const auto i = static_cast<std::size_t>(p % Sink::kMaxPeriods);
      ++read[sink.frames[i]];
      for (int n = std::max(sink.firsts[i], 0); n <= sink.lasts[i] && n < numbers.count; ++n) {
        got[static_cast<std::size_t>(n)] = true;
      }
    }
    int lost = 0, twice = 0, neverRead = 0;
    for (int n = 0; n < numbers.count; ++n) ++runs[numbers.frames[static_cast<std::size_t>(n)]];
    for (int n = 0; n < numbers.count; ++n) {
      if (got[static_cast<std::size_t>(n)]) continue;
      const jack_nframes_t frame = numbers.frames[static_cast<std::size_t>(n)];
      ++lost;
      twice += runs[frame] > 1;
      neverRead += runs[frame] == 1 && read.count(frame) == 0;
    }
    std::printf("periods %d lost %d run_twice %d never_read %d other %d xruns %d\n",
                numbers.count.load(), lost, twice, neverRead, lost - twice - neverRead, xruns);
  }
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  return 0;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: jack_xruns PERIOD MESSAGES LOAD_THREADS\n");
    return 2;
  }
  return bench::Xruns(std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]));
}
