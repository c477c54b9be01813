#pragma once

// A jackd of the test's own on its dummy driver, to stop, stall and kill under what the test
// opened on it, and waiting with a bound.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace tastiva::test {

using namespace std::chrono_literals;

// Whether done() holds within timeout, asked every 10 ms.
template <typename Done>
bool WaitFor(std::chrono::milliseconds timeout, Done done) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (; !done(); std::this_thread::sleep_for(10ms)) {
    if (std::chrono::steady_clock::now() > deadline) return false;
  }
  return true;
}

// One name per test for every run, as jackd2 keeps at most 8 servers per user and forgets a
// stopped one only when its name returns; another run's server holds it for a while at most.
// Probed by jack_wait, out of process: libjack keeps per-process state of the server it last
// talked to.
struct PrivateServer {
  std::string name;
  std::string driver = "-d dummy";
  pid_t pid = -1;

  ~PrivateServer() {
    if (pid > 0) kill(pid, SIGCONT);
    Stop();
  }
  bool Serving() const {
    const std::string probe = "test \"$(jack_wait -s " + name + " -c 2>/dev/null)\" = running";
    return std::system(probe.c_str()) == 0;
  }
  bool Start() {
    return WaitFor(20s, [&] {
      if (Serving()) return false;  // another run's
      RemoveLeftovers();            // of a run that crashed
      pid = fork();
      if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // not left behind, even stopped, if the test dies
        const std::string command = "exec jackd -n " + name + " " + driver + " >/dev/null 2>&1";
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
    if (!WaitFor(3s, [&] { return waitpid(pid, nullptr, WNOHANG) != 0; })) Kill();
    pid = -1;
  }
  void Kill() {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
    RemoveLeftovers();
  }
  // The semaphores and memory a killed server leaves in /dev/shm.
  void RemoveLeftovers() const {
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
      if (entry.path().filename().string().find("_" + name + "_") != std::string::npos) {
        std::filesystem::remove(entry.path());
      }
    }
  }
  // Sets the server for the JACK clients made from now on.
  void Use() const { setenv("JACK_DEFAULT_SERVER", name.c_str(), 1); }
};

}  // namespace tastiva::test
