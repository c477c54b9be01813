// A JACK client with one MIDI input port "in" that prints every event it receives, one line
// each: "<usec> 90 3c 7f" (bytes in lowercase hex). usec is the event's time on the JACK
// clock (jack_get_time()): the moment the process callback began in the period it arrived
// in, plus its frame offset. Prints "ready" once its port can be connected to. Used by the
// port tests and the end-to-end tests.
//
// Usage: jack_receiver [--timeout SECONDS] CLIENT_NAME
// The server is picked as for any JACK client (JACK_DEFAULT_SERVER). Exit status: 0 on
// SIGTERM/SIGINT or timeout (or when stdout is closed), 1 on bad arguments or no server, 3 if
// the server went away.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "JackCapture.h"

namespace {

// Written to by the capture and the signal handlers so the printer wakes at once.
int wakeRead = -1;
int wakeWrite = -1;
volatile std::sig_atomic_t stopSignal = 0;

void OnSignal(int) {
  stopSignal = 1;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(wakeWrite, &byte, 1);
}

// Prints every complete event captured so far.
void Print(JackCapture& capture) {
  static JackCapture::Record record;
  static std::string line;
  while (capture.Next(record)) {
    line = std::to_string(record.time) + " " + Hex(record.bytes) + "\n";
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

  JackCapture capture;
  JackCapture::Options options;
  options.wakeFd = wakeWrite;
  if (std::string error; !capture.Open(clientName, options, error)) {
    std::fprintf(stderr, "jack_receiver: %s\n", error.c_str());
    return 1;
  }
  std::puts("ready");
  std::fflush(stdout);

  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (!stopSignal && !capture.serverGone()) {
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
    Print(capture);
  }

  const bool gone = capture.serverGone();
  capture.Deactivate();
  Print(capture);  // events of the last period
  if (const std::uint64_t lost = capture.dropped(); lost > 0) {
    std::fprintf(stderr, "jack_receiver: dropped %llu events (ring buffer full)\n",
                 static_cast<unsigned long long>(lost));
  }
  if (gone) {
    std::fprintf(stderr, "jack_receiver: the JACK server went away\n");
    return 3;
  }
  return 0;
}
