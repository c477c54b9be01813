#pragma once

// What the system port tests share: waiting, finding a device, a JACK input of the test's own
// and a JACK server of the test's own.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

using namespace std::chrono_literals;

inline constexpr const char* kClientName = "tastiva-ports-test";
inline constexpr std::uint32_t kNoteOn = 0x007F3C90;
inline constexpr std::uint32_t kNoteOff = 0x00003C90;

#define REQUIRE_JACK() \
  if (!std::getenv("TASTIVA_RECEIVER_PORT")) GTEST_SKIP() << "needs run_with_jack.sh"

// Whether done() holds within timeout, asked every 10 ms.
template <typename Done>
bool WaitFor(std::chrono::milliseconds timeout, Done done) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (; !done(); std::this_thread::sleep_for(10ms)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
  }
  return true;
}

inline std::shared_ptr<MidiDevice> Named(const std::vector<std::shared_ptr<MidiDevice>>& devices,
                                         const std::string& name) {
  for (const auto& device : devices) {
    if (device->Name() == name) return device;
  }
  return nullptr;
}

// A JACK client of the test's own with a MIDI input port "in" that counts the events it gets,
// and can vanish on demand.
class JackInput {
 public:
  explicit JackInput(std::string clientName) : clientName_(std::move(clientName)) { Start(); }
  ~JackInput() { Stop(); }
  void Start() {
    const auto options = static_cast<jack_options_t>(JackNoStartServer | JackUseExactName);
    client_ = jack_client_open(clientName_.c_str(), options, nullptr);
    ASSERT_NE(client_, nullptr) << clientName_;
    port_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(client_, &JackInput::Count, this);
    jack_activate(client_);
  }
  void Stop() {
    if (client_ != nullptr) jack_client_close(client_);
    client_ = nullptr;
  }
  // After its server stopped: libjack frees the client on the next connection attempt.
  void Abandon() { client_ = nullptr; }
  std::string port() const { return clientName_ + ":in"; }
  int received() const { return received_.load(); }

 private:
  static int Count(jack_nframes_t frames, void* self) {
    auto* input = static_cast<JackInput*>(self);
    input->received_ += jack_midi_get_event_count(jack_port_get_buffer(input->port_, frames));
    return 0;
  }

  std::string clientName_;
  jack_client_t* client_ = nullptr;
  jack_port_t* port_ = nullptr;
  std::atomic<int> received_{0};
};

// A jackd of the test's own, to stop under an open port. Runs in a process of its own (see
// CMakeLists.txt): libjack keeps per-process state of the server it last talked to.
struct PrivateServer {
  // One name per test for every run, as jackd2 keeps at most 8 servers per user and forgets a
  // stopped one only when its name returns. Another run's server holds it for a while at most.
  std::string name;
  pid_t pid = -1;

  ~PrivateServer() {
    if (pid > 0) kill(pid, SIGCONT);
    Stop();
  }

  bool Serving() const {
    const auto options = static_cast<jack_options_t>(JackNoStartServer | JackServerName);
    jack_client_t* probe = jack_client_open("probe", options, nullptr, name.c_str());
    if (probe != nullptr) jack_client_close(probe);
    return probe != nullptr;
  }

  bool Start() {
    return WaitFor(20s, [&] {
      if (Serving()) return false;  // another run's
      pid = fork();
      if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // not left behind, even stopped, if this process dies
        const std::string command = "exec jackd -n " + name + " -d dummy >/dev/null 2>&1";
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
      }
      WaitFor(5s, [&] {
        if (waitpid(pid, nullptr, WNOHANG) != 0) pid = -1;  // the name was taken
        return pid < 0 || Serving();
      });
      if (pid > 0 && Serving()) return true;
      Stop();  // hangs at start, if not gone
      return false;
    });
  }

  void Stop() {  // SIGTERM, then SIGKILL after 3 s
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    if (!WaitFor(3s, [&] { return waitpid(pid, nullptr, WNOHANG) != 0; })) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
    pid = -1;
  }

  void Kill() {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
    // What a killed server leaves behind.
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
      const std::string file = entry.path().filename();
      if (file.find("_" + name + "_") != std::string::npos) std::filesystem::remove(entry);
    }
  }

  // Sets the server for the JACK clients made from now on.
  void Use() const { setenv("JACK_DEFAULT_SERVER", name.c_str(), 1); }
};

}  // namespace tastiva
