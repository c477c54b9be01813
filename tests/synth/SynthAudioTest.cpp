#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "midi/MidiResults.h"
#include "midi/synth/BuiltinSynth.h"
#include "tests/synth/SynthTestSupport.h"

namespace tastiva {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

template <typename Done>
bool WaitFor(Clock::duration limit, Done done) {
  for (const auto end = Clock::now() + limit; Clock::now() < end;) {
    if (done()) return true;
    std::this_thread::sleep_for(20ms);
  }
  return done();
}

// A jackd of the test's own on its dummy driver, to stop and kill under the synthesizer. One
// name for every run: jackd2 keeps at most 8 servers per user and forgets a killed one only
// when its name comes back.
class Jackd {
 public:
  static constexpr const char* kName = "tastiva-synth-stop";
  ~Jackd() { Kill(); }

  bool Start() {
    RemoveLeftovers();  // of a run that crashed
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // gone with the test, even when it crashes
      std::freopen("/dev/null", "w", stdout);
      std::freopen("/dev/null", "w", stderr);
      execlp("jackd", "jackd", "-n", kName, "-d", "dummy", "-r", "48000", "-p", "256",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    // jack_wait answers "running" once clients can connect.
    const std::string probe =
        std::string("test \"$(jack_wait -s ") + kName + " -c 2>/dev/null)\" = running";
    return WaitFor(10s, [&] { return std::system(probe.c_str()) == 0; });
  }
  void Signal(int signal) const { kill(pid_, signal); }
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    RemoveLeftovers();
  }

 private:
  // The semaphores and memory a killed server leaves in /dev/shm.
  static void RemoveLeftovers() {
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
      if (entry.path().filename().string().find(kName) != std::string::npos) {
        std::filesystem::remove(entry.path());
      }
    }
  }

  pid_t pid_ = -1;
};

constexpr std::uint32_t kNoteOn = 0x007F3C90;
constexpr std::uint32_t kNoteOff = 0x00003C90;
const std::string kStopped =
    "The audio output of the built-in synthesizer (JACK) stopped. Start it, then choose the "
    "synthesizer again.";

TEST(SynthAudioLoss, RefusedWhileItsJackServerStopsAndChosenAgainItPlays) {
  const std::string font = test::TestSoundFont();
  ASSERT_NE(font, "") << "no SoundFont installed";
  Jackd server;
  ASSERT_TRUE(server.Start()) << "jackd did not start";
  setenv("JACK_DEFAULT_SERVER", Jackd::kName, 1);
  BuiltinSynth synth({{font}, {"jack"}, test::kRate});
  ASSERT_EQ(synth.Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(synth.Send(kNoteOn).code, MMSYSERR_NOERROR);

  // A hung server (SIGSTOP): refused with the reason, and playing again once it goes on.
  DeviceResult sent;
  const auto refused = [&] {
    sent = synth.Send(kNoteOff);
    return sent.code != MMSYSERR_NOERROR;
  };
  server.Signal(SIGSTOP);
  ASSERT_TRUE(WaitFor(2s, refused));
  EXPECT_EQ(sent.code, MIDIERR_NOTREADY);
  EXPECT_EQ(sent.detail, kStopped);
  server.Signal(SIGCONT);
  EXPECT_TRUE(WaitFor(2s, [&] { return !refused(); }));

  // Chosen again while it hangs: neither the close nor the open waits for it for good.
  server.Signal(SIGSTOP);
  ASSERT_TRUE(WaitFor(2s, refused));
  const auto start = Clock::now();
  EXPECT_EQ(synth.Close().code, MMSYSERR_NOERROR);
  EXPECT_LT(Clock::now() - start, 100ms);
  EXPECT_EQ(synth.Open().code, MMSYSERR_NODRIVER);
  EXPECT_LT(Clock::now() - start, 5s);
  server.Signal(SIGCONT);

  // Killed: refused; a new server comes, and choosing the synthesizer again plays on it.
  ASSERT_EQ(synth.Open().code, MMSYSERR_NOERROR);
  server.Kill();
  ASSERT_TRUE(WaitFor(2s, refused));
  EXPECT_EQ(sent.detail, kStopped);
  ASSERT_TRUE(server.Start());
  EXPECT_EQ(synth.Close().code, MMSYSERR_NOERROR);
  ASSERT_EQ(synth.Open().code, MMSYSERR_NOERROR);
  EXPECT_FALSE(WaitFor(1s, refused)) << sent.detail;
}

}  // namespace
}  // namespace tastiva
