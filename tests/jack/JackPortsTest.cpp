// JACK's MIDI ports against JACK servers of the test's own. The tests with a shared server
// run under run_with_jack.sh, which starts it with the jack_receiver client, and are skipped
// without it; each server fault starts, stops, stalls and kills a server in a process of its
// own (see CMakeLists.txt).
#include "midi/jack/JackPorts.h"

#include <gtest/gtest.h>
#include <jack/jack.h>
#include <unistd.h>

#include <csignal>
#include <ctime>

#include "midi/MidiResults.h"
#include "midi/jack/RerunMemory.h"
#include "midi/rtmidi/RtMidiPorts.h"
#include "tests/support/JackServer.h"
#include "tools/JackCapture.h"

namespace tastiva {
namespace {

using namespace std::chrono_literals;
using test::PrivateServer;
using test::WaitFor;

constexpr const char* kClientName = "tastiva-ports-test";
constexpr std::uint32_t kNoteOn = 0x007F3C90;
constexpr std::uint32_t kNoteOff = 0x00003C90;

// The device of the port listed under name.
std::shared_ptr<MidiDevice> Named(const PortListing& listing, const std::string& name) {
  for (const FoundPort& port : listing.ports) {
    if (port.longName == name) return port.make(name);
  }
  return nullptr;
}

// After an xrun JACK may run a period twice: what the first run wrote is written again, but
// note-ons, which would sound twice if the first run was read after all.
TEST(JackRerun, APeriodRunAgainWritesItsMessagesAgainButNoteOns) {
  RerunMemory memory;
  std::vector<ShortRecord> written;
  const auto write = [&](const ShortRecord& r) {
    written.push_back(r);
    memory.Wrote(r);
    return true;
  };
  const ShortRecord on{3, {0x90, 60, 127}}, off{3, {0x90, 60, 0}}, program{2, {0xC0, 5, 0}},
      noteOff{3, {0x80, 60, 64}};
  memory.Start(256, write);
  for (const ShortRecord& r : {on, off, program, noteOff}) write(r);
  written.clear();
  memory.Start(256, write);  // the same period again
  ASSERT_EQ(written.size(), 3u);
  EXPECT_EQ(written[0].bytes[2], 0);
  EXPECT_EQ(written[1].bytes[0], 0xC0);
  EXPECT_EQ(written[2].bytes[0], 0x80);
  written.clear();
  memory.Start(512, write);  // the next period: nothing again, and nothing after it
  memory.Start(768, write);
  EXPECT_TRUE(written.empty());
  // A full period buffer stops the repeats where it is full.
  for (int i = 0; i < 100; ++i) memory.Wrote(off);
  int room = 10;
  memory.Start(768, [&](const ShortRecord&) { return --room > 0; });
  EXPECT_EQ(room, 0);
}

// A JACK client of the test's own with a MIDI input port "in" that counts the events it gets,
// and can vanish on demand.
class JackInput {
 public:
  explicit JackInput(std::string name) : name_(std::move(name)) { Start(); }
  void Start() {
    capture_ = std::make_unique<JackCapture>();
    std::string error;
    ASSERT_TRUE(capture_->Open(name_, {}, error)) << error;
  }
  void Stop() { capture_.reset(); }
  // After its server stopped: libjack frees the client on the next connection attempt, and
  // its thread may still run on it. Kept for good.
  void Abandon() {
    static auto* kept = new std::vector<std::unique_ptr<JackCapture>>;
    kept->push_back(std::move(capture_));
  }
  std::string port() const { return name_ + ":in"; }
  int received() {
    Read();
    return received_;
  }
  // Note-offs may come twice (a period JACK runs again is written again); note-ons never.
  int noteOns() {
    Read();
    return noteOns_;
  }

 private:
  void Read() {
    for (JackCapture::Record r; capture_ && capture_->Next(r);) {
      if (r.kind != JackCapture::Kind::kMidi) continue;
      ++received_;
      noteOns_ += r.bytes.size() == 3 && (r.bytes[0] & 0xF0) == 0x90 && r.bytes[2] != 0;
    }
  }
  std::string name_;
  std::unique_ptr<JackCapture> capture_;
  int received_ = 0;
  int noteOns_ = 0;
};

TEST(PortsWithoutServer, ListsNothingAndPrintsNothing) {
  if (std::getenv("JACK_DEFAULT_SERVER") != std::string("tastiva-no-such-server")) {
    GTEST_SKIP() << "run by ctest's ports_noserver, which names an absent server";
  }
  testing::internal::CaptureStderr();  // descriptor 2: libraries print there too
  std::size_t listed = 0;
  EXPECT_NO_THROW({
    JackPorts jack(kClientName);
    RtMidiPorts alsa(RtMidi::LINUX_ALSA, "the ALSA sequencer", kClientName);
    for (PortDirectory* ports : std::initializer_list<PortDirectory*>{&jack, &alsa}) {
      for (int i = 0; i < 2; ++i) {  // the second tries again
        const PortListing listing = ports->ListPorts();
        listed += listing.ports.size();
        EXPECT_EQ(listing.problem, "");
      }
    }
  });
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  if (access("/dev/snd/seq", F_OK) != 0) {  // else ALSA's ports are listed
    EXPECT_EQ(listed, 0u);
  }
}

// The bytes each message becomes at a JACK receiver are checked end to end in
// tests/e2e/play_test.sh.
TEST(JackPortsWithServer, OwnPortsAreSkippedVanishedOnesRefusedByName) {
  if (!std::getenv("TASTIVA_RECEIVER_PORT")) GTEST_SKIP() << "needs run_with_jack.sh";
  JackInput own(kClientName);  // as another instance of this program would be named
  JackInput vanishing("vanishing");
  JackPorts ports(kClientName);
  const PortListing devices = ports.ListPorts();
  EXPECT_EQ(Named(devices, own.port()), nullptr);
  ASSERT_TRUE(Named(devices, std::getenv("TASTIVA_RECEIVER_PORT")));
  const auto device = Named(devices, vanishing.port());
  ASSERT_TRUE(device);

  vanishing.Stop();  // between listing and opening
  const DeviceResult gone = device->Open();
  EXPECT_EQ(gone.code, MMSYSERR_BADDEVICEID);
  EXPECT_NE(gone.detail.find(vanishing.port() + " is gone"), std::string::npos) << gone.detail;

  // Gone and back (in the same slot of JACK's port table) between two sends: the connection
  // did not come back with it. Refused as soon as JACK's notice arrives, until opened again.
  vanishing.Start();
  ASSERT_EQ(device->Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(device->Send(kNoteOn).code, MMSYSERR_NOERROR);
  vanishing.Stop();
  vanishing.Start();
  DeviceResult refused;
  EXPECT_TRUE(WaitFor(2s, [&] {
    refused = device->Send(kNoteOff);
    return refused.code == MIDIERR_NOTREADY;
  }));
  EXPECT_NE(refused.detail.find(vanishing.port()), std::string::npos) << refused.detail;
  EXPECT_EQ(device->Close().code, MMSYSERR_NOERROR);
  EXPECT_EQ(device->Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(device->Send(kNoteOff).code, MMSYSERR_NOERROR);
}

// An input of the test's own on a server of the test's own, open as a device.
class ServerFault : public ::testing::Test {
 protected:
  void Open(const char* serverName) {
    server.role = serverName;
    ASSERT_TRUE(server.Start()) << "jackd did not start";
    server.Use();
    input = std::make_unique<JackInput>("input");
    device = Named(ports.ListPorts(), input->port());
    ASSERT_TRUE(device);
    ASSERT_EQ(device->Open().code, MMSYSERR_NOERROR);
  }

  PrivateServer server;
  JackPorts ports{kClientName};  // before any JACK call: keeps libjack quiet
  std::unique_ptr<JackInput> input;
  std::shared_ptr<MidiDevice> device;
};
using JackServerStops = ServerFault;
using JackServerStalls = ServerFault;

TEST_F(JackServerStops, PortsAreRefusedAtOnceAndTheNextServerIsUsed) {
  ASSERT_NO_FATAL_FAILURE(Open("tastiva-ports-stop"));

  server.Stop();
  input->Abandon();
  // Unnoticed, sending would fill the buffer and then be refused as a stall: send more.
  DeviceResult sent;
  for (int i = 0; i < 5000 && sent.code == MMSYSERR_NOERROR; ++i) {
    if (i % 100 == 0) std::this_thread::sleep_for(2ms);
    sent = device->Send(kNoteOff);
  }
  EXPECT_EQ(sent.code, MIDIERR_NOTREADY);
  EXPECT_NE(sent.detail.find("JACK stopped"), std::string::npos) << sent.detail;
  // Another part of the program tries to connect: libjack frees the old server's clients.
  EXPECT_EQ(jack_client_open("other", JackNoStartServer, nullptr), nullptr);
  const auto closing = std::chrono::steady_clock::now();
  EXPECT_EQ(device->Close().code, MMSYSERR_NOERROR);
  EXPECT_LT(std::chrono::steady_clock::now() - closing, 500ms);
  EXPECT_EQ(Named(ports.ListPorts(), input->port()), nullptr);

  // A new server under the same name.
  ASSERT_TRUE(server.Start());
  input->Start();
  const auto again = Named(ports.ListPorts(), input->port());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Open().code, MMSYSERR_NOERROR);
  EXPECT_EQ(again->Send(kNoteOn).code, MMSYSERR_NOERROR);
}

TEST_F(JackServerStalls, SendsNeverWaitAndWhatWasAcceptedArrives) {
  ASSERT_NO_FATAL_FAILURE(Open("tastiva-ports-stall"));

  // Every call returns at once, whatever the server does.
  const auto prompt = [](auto call) {
    const auto start = std::chrono::steady_clock::now();
    const DeviceResult result = call();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    return result;
  };
  // The first message through a new connection is lost when its period runs late, as the first
  // write into JACK's buffers does under ThreadSanitizer: flowing first, counted from then on.
  ASSERT_TRUE(WaitFor(2s, [&] {
    device->Send(kNoteOff);
    std::this_thread::sleep_for(50ms);
    return input->received() > 0;
  }));
  int accepted = 0;
  const auto send = [&] {
    const DeviceResult result = prompt([&] { return device->Send(kNoteOn); });
    accepted += result.code == MMSYSERR_NOERROR;
    return result;
  };
  for (const bool chooseAgain : {false, true}) {
    // Flowing, and for a while: after a stall within a few periods of a new connection, jackd2
    // can lose what is written in the periods that follow, whoever writes it.
    ASSERT_EQ(send().code, MMSYSERR_NOERROR);
    EXPECT_TRUE(WaitFor(2s, [&] { return input->noteOns() == accepted; }));
    std::this_thread::sleep_for(300ms);
    kill(server.pid, SIGSTOP);
    DeviceResult refused;
    const auto stopped = std::chrono::steady_clock::now();
    // One send a millisecond, as a fast player would never reach; refused within a bound.
    EXPECT_TRUE(WaitFor(1s, [&] {
      for (int i = 0; i < 10 && refused.code == MMSYSERR_NOERROR; ++i) {
        refused = send();
        std::this_thread::sleep_for(1ms);
      }
      return refused.code != MMSYSERR_NOERROR;
    }));
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 1s);
    EXPECT_EQ(refused.code, MIDIERR_NOTREADY);
    EXPECT_NE(refused.detail.find("JACK is not responding"), std::string::npos) << refused.detail;
    if (chooseAgain) {
      EXPECT_EQ(prompt([&] { return device->Close(); }).code, MMSYSERR_NOERROR);
      const DeviceResult reopened = prompt([&] { return device->Open(); });
      EXPECT_EQ(reopened.code, MIDIERR_NOTREADY);
      EXPECT_NE(reopened.detail.find("JACK is not responding"), std::string::npos);
    }
    kill(server.pid, SIGCONT);
    // Taken again once the graph moves, by itself or after choosing again.
    if (chooseAgain) {
      EXPECT_TRUE(WaitFor(3s, [&] { return device->Open().code == MMSYSERR_NOERROR; }));
    }
    EXPECT_TRUE(WaitFor(2s, [&] { return send().code == MMSYSERR_NOERROR; }));
  }
  // Every note accepted arrived, once.
  WaitFor(2s, [&] { return input->noteOns() >= accepted; });
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(input->noteOns(), accepted);

  // Destroyed while the server stands still: a device open on it, and a directory whose first
  // listing waits for it. Neither waits for good, nor leaves anything using what is gone.
  auto second = Named(ports.ListPorts(), input->port());
  ASSERT_EQ(second->Open().code, MMSYSERR_NOERROR);
  kill(server.pid, SIGSTOP);
  EXPECT_TRUE(WaitFor(1s, [&] { return second->Send(kNoteOff).code == MIDIERR_NOTREADY; }));
  prompt([&] {
    second.reset();
    return DeviceResult();
  });
  {
    JackPorts other("tastiva-ports-other");
    EXPECT_EQ(other.ListPorts().problem, "JACK is not responding: its MIDI ports are not listed.");
  }
  kill(server.pid, SIGCONT);

  // Killed while stopped: refused as stopped, and nothing spins.
  kill(server.pid, SIGSTOP);
  server.Kill();
  input->Abandon();
  DeviceResult stopped;
  const std::clock_t cpu = std::clock();  // of the whole process
  for (int i = 0; i < 100; ++i) {
    stopped = send();
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_LT(std::clock() - cpu, CLOCKS_PER_SEC / 10);
  EXPECT_NE(stopped.detail.find("JACK stopped"), std::string::npos) << stopped.detail;
  EXPECT_EQ(prompt([&] { return device->Close(); }).code, MMSYSERR_NOERROR);
}

}  // namespace
}  // namespace tastiva
