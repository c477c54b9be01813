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

// Started and probed through the shell helper every test script uses
// (scripts/lib/servers.sh), so the same rules hold: a name no other run has (the role and
// this process's id), what killed servers left cleared before it starts, every probe bounded.
struct PrivateServer {
  std::string role;
  std::string driver = "-d dummy";
  pid_t pid = -1;

  ~PrivateServer() {
    if (pid > 0) kill(pid, SIGCONT);
    Stop();
  }
  std::string Name() const { return role + "-" + std::to_string(getpid()); }
  bool Serving() const { return std::system(Helper("jack_serves").c_str()) == 0; }
  bool Start() {
    // The helper becomes jackd: pid is the server's.
    const std::string command = "exec " + Helper("jack_exec") + " " + driver + " >/dev/null 2>&1";
    return WaitFor(20s, [&] {
      RemoveLeftovers();  // of this name's server if it was killed
      pid = fork();
      if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);  // not left behind, even stopped, if the test dies
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
      }
      WaitFor(10s, [&] {
        if (waitpid(pid, nullptr, WNOHANG) != 0) pid = -1;  // e.g. jackd2's 8 entries all held
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
      if (entry.path().filename().string().find("_" + Name() + "_") != std::string::npos) {
        std::filesystem::remove(entry.path());
      }
    }
  }
  std::string Helper(const char* call) const {
    const auto script =
        std::filesystem::path(__FILE__).parent_path() / "../../scripts/lib/servers.sh";
    return "bash " + script.string() + " " + call + " " + Name();
  }
  // Sets the server for the JACK clients made from now on.
  void Use() const { setenv("JACK_DEFAULT_SERVER", Name().c_str(), 1); }
};

}  // namespace tastiva::test
