// The time from a stall of the JACK server (SIGSTOP) to the first send the program's JACK
// output refuses, against RtMidi's output, which waits in its send instead.
//
//   jack_stall [RUNS]
// A note message every millisecond while the server is stopped and continued, RUNS times:
//   refusal_ms MEDIAN MIN MAX   stop -> first refused send
//   resume_ms MEDIAN            SIGCONT -> next accepted send
//   longest_send_ms MS          the longest send call
//   accepted N received M
// then RtMidi's output stopped the same way, and the server killed:
//   rtmidi_taken N rtmidi_waiting 0|1 rtmidi_cpu_ms MS   (its CPU over the second after)
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "JackBench.h"
#include "midi/MidiResults.h"

namespace bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// RtMidi's output with the server stopped, in a child: messages it takes before a send waits,
// and its CPU time over a second once the server is killed.
void RtMidiUnderStall(pid_t server) {
  auto* taken = static_cast<std::atomic<long>*>(mmap(nullptr, sizeof(std::atomic<long>),
                                                     PROT_READ | PROT_WRITE,
                                                     MAP_SHARED | MAP_ANONYMOUS, -1, 0));
  new (taken) std::atomic<long>(0);
  const pid_t child = fork();
  if (child == 0) {
    RtMidiOut out(RtMidi::UNIX_JACK, "rtmidi");
    OpenRt(out);
    for (int i = 0;; ++i, ++*taken) {
      SendRt(out, Message(i));
      std::this_thread::sleep_for(100us);
    }
  }
  std::this_thread::sleep_for(500ms);
  kill(server, SIGSTOP);
  std::this_thread::sleep_for(2s);
  const long before = taken->load();
  std::this_thread::sleep_for(1s);
  const bool waiting = taken->load() == before;
  KillServer(server);
  const auto cpuMs = [&] {
    std::ifstream stat("/proc/" + std::to_string(child) + "/stat");
    std::string field;
    for (int i = 0; i < 13 && stat >> field; ++i) {
    }
    long user = 0, system = 0;
    stat >> user >> system;
    return static_cast<double>(user + system) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
  };
  std::this_thread::sleep_for(200ms);
  const double cpu = cpuMs();
  std::this_thread::sleep_for(1s);
  std::printf("rtmidi_taken %ld rtmidi_waiting %d rtmidi_cpu_ms %.0f\n", before, waiting ? 1 : 0,
              cpuMs() - cpu);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

int Stall(int runs) {
  const pid_t server = StartServer(256);
  {
    Sink sink;
    tastiva::JackPorts ports("bench-faults");
    const auto device = OpenSink(ports);
    int accepted = 0, i = 0;
    double longest = 0;
    std::vector<double> toRefusal, toResume;
    const auto send = [&] {
      const auto start = Clock::now();
      const bool ok = device->Send(Message(i++)).code == tastiva::MMSYSERR_NOERROR;
      longest = std::max(longest, Ms(Clock::now() - start));
      accepted += ok;
      std::this_thread::sleep_for(1ms);
      return ok;
    };
    for (int run = 0; run < runs; ++run) {
      for (int k = 0; k < 300; ++k) send();
      const auto stopped = Clock::now();
      kill(server, SIGSTOP);
      while (send() && Clock::now() - stopped < 5s) {
      }
      toRefusal.push_back(Ms(Clock::now() - stopped));
      while (Clock::now() - stopped < 500ms) send();  // refused, each at once
      const auto resumed = Clock::now();
      kill(server, SIGCONT);
      while (!send() && Clock::now() - resumed < 5s) {
      }
      toResume.push_back(Ms(Clock::now() - resumed));
    }
    sink.Settle();
    std::printf("refusal_ms %.1f %.1f %.1f\nresume_ms %.1f\nlongest_send_ms %.3f\n",
                Median(toRefusal), *std::min_element(toRefusal.begin(), toRefusal.end()),
                *std::max_element(toRefusal.begin(), toRefusal.end()), Median(toResume), longest);
    std::printf("accepted %d received %d\n", accepted, sink.ons + sink.offs);
  }
  RtMidiUnderStall(server);
  return 0;
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  return bench::Stall(argc > 1 ? std::atoi(argv[1]) : 5);
}
