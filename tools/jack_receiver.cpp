// A JACK client with one MIDI input port "in" that prints every event it receives, one line
// each: "<usec> 90 3c 7f" (bytes in lowercase hex). usec is the event's time on the JACK
// clock (jack_get_time()): the start of the period it arrived in plus its frame offset.
// Prints "ready" once its port can be connected to. Used by the port tests and benchmarks.
//
// Usage: jack_receiver [--timeout SECONDS] CLIENT_NAME
// The server is picked as for any JACK client (JACK_DEFAULT_SERVER). Exit status: 0 on
// SIGTERM/SIGINT or timeout (or when stdout is closed), 1 on bad arguments or no server, 3 if
// the server went away.

#include <fcntl.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Header of one event in the ring buffer; its bytes follow.
struct EventHeader {
  std::uint64_t usecs;
  std::uint32_t size;
};

constexpr std::size_t kRingBytes = 1 << 20;  // room for many periods of dense traffic

jack_client_t* client = nullptr;
jack_port_t* inPort = nullptr;
jack_ringbuffer_t* ring = nullptr;
// Written to by the process callback and the signal handlers so the printer wakes at once.
int wakeRead = -1;
int wakeWrite = -1;
volatile std::sig_atomic_t stopSignal = 0;
std::atomic<bool> serverGone{false};
std::atomic<std::uint64_t> dropped{0};

// Non-blocking and async-signal-safe; a full pipe already means "wake up".
void Wake() {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
}

int Process(jack_nframes_t frames, void*) {
  void* buffer = jack_port_get_buffer(inPort, frames);
  const std::uint32_t count = jack_midi_get_event_count(buffer);
  if (count == 0) return 0;

  // The period's start time and length give each event's time from its frame offset.
  jack_nframes_t periodStartFrames = 0;
  jack_time_t periodStart = 0, nextPeriod = 0;
  float periodUsecs = 0;
  if (jack_get_cycle_times(client, &periodStartFrames, &periodStart, &nextPeriod, &periodUsecs) !=
      0) {
    periodStart = jack_frames_to_time(client, jack_last_frame_time(client));
    nextPeriod = periodStart;
  }
  const double usecsPerFrame =
      frames > 0 ? static_cast<double>(nextPeriod - periodStart) / frames : 0.0;

  bool wrote = false;
  for (std::uint32_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    const EventHeader header{periodStart + static_cast<std::uint64_t>(event.time * usecsPerFrame),
                             static_cast<std::uint32_t>(event.size)};
    // Whole events only: a partial one would desynchronise the reader.
    if (jack_ringbuffer_write_space(ring) < sizeof header + event.size) {
      dropped.fetch_add(1, std::memory_order_relaxed);
      continue;
    }
    jack_ringbuffer_write(ring, reinterpret_cast<const char*>(&header), sizeof header);
    jack_ringbuffer_write(ring, reinterpret_cast<const char*>(event.buffer), event.size);
    wrote = true;
  }
  if (wrote) Wake();
  return 0;
}

void Shutdown(void*) {
  serverGone.store(true);
  Wake();
}

void OnSignal(int) {
  stopSignal = 1;
  Wake();
}

// Prints every complete event in the ring buffer.
void Drain() {
  static std::string line;
  static std::string bytes;
  EventHeader header;
  while (jack_ringbuffer_read_space(ring) >= sizeof header) {
    jack_ringbuffer_peek(ring, reinterpret_cast<char*>(&header), sizeof header);
    // The writer publishes the bytes after the header; wait for them on the next round.
    if (jack_ringbuffer_read_space(ring) < sizeof header + header.size) break;
    jack_ringbuffer_read_advance(ring, sizeof header);
    bytes.resize(header.size);
    jack_ringbuffer_read(ring, bytes.data(), header.size);

    line = std::to_string(header.usecs);
    char hex[4];
    for (const char c : bytes) {
      std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(c));
      line += hex;
    }
    line += '\n';
    // Flushed line by line: readers poll the output file.
    if (std::fputs(line.c_str(), stdout) < 0 || std::fflush(stdout) != 0) stopSignal = 1;
  }
}

int Usage() {
  std::fprintf(stderr, "usage: jack_receiver [--timeout SECONDS] CLIENT_NAME\n");
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  double timeoutSeconds = 0;  // 0: no timeout
  const char* clientName = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--timeout") == 0 && i + 1 < argc) {
      char* end = nullptr;
      timeoutSeconds = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != '\0' || timeoutSeconds < 0) return Usage();
    } else if (argv[i][0] == '-' || clientName != nullptr) {
      return Usage();
    } else {
      clientName = argv[i];
    }
  }
  if (clientName == nullptr) return Usage();

  int wakePipe[2];
  if (pipe(wakePipe) != 0) return 1;
  wakeRead = wakePipe[0];
  wakeWrite = wakePipe[1];
  for (const int fd : wakePipe) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);

  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);  // a reader that went away ends the loop instead

  ring = jack_ringbuffer_create(kRingBytes);
  if (ring == nullptr) return 1;
  jack_ringbuffer_mlock(ring);  // may be refused without privileges; the buffer works anyway

  jack_status_t status;
  // The exact name, so the caller knows the port's full name.
  client = jack_client_open(
      clientName, static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
  if (client == nullptr) {
    std::fprintf(stderr, "jack_receiver: cannot open client '%s' (status 0x%x)\n", clientName,
                 static_cast<unsigned>(status));
    return 1;
  }
  inPort = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  if (inPort == nullptr) {
    std::fprintf(stderr, "jack_receiver: cannot register port\n");
    jack_client_close(client);
    return 1;
  }
  jack_set_process_callback(client, Process, nullptr);
  jack_on_shutdown(client, Shutdown, nullptr);

  if (jack_activate(client) != 0) {
    std::fprintf(stderr, "jack_receiver: cannot activate\n");
    jack_client_close(client);
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);

  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!stopSignal && !serverGone.load()) {
    int waitMs = -1;
    if (timeoutSeconds > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      waitMs = static_cast<int>(std::min<long long>(left.count() + 1, 1000));
    }
    pollfd wake{wakeRead, POLLIN, 0};
    if (poll(&wake, 1, waitMs) > 0) {
      char sink[64];
      while (read(wakeRead, sink, sizeof sink) > 0) {
      }
    }
    Drain();
  }

  const bool gone = serverGone.load();
  if (!gone) jack_deactivate(client);
  Drain();  // events of the last period
  jack_client_close(client);
  jack_ringbuffer_free(ring);
  if (const std::uint64_t lost = dropped.load(); lost > 0) {
    std::fprintf(stderr, "jack_receiver: dropped %llu events (ring buffer full)\n",
                 static_cast<unsigned long long>(lost));
  }
  if (gone) {
    std::fprintf(stderr, "jack_receiver: the JACK server went away\n");
    return 3;
  }
  return 0;
}
