#include "midi/SystemPorts.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "midi/DesktopPlatform.h"
#include "midi/MidiResults.h"

// The tests with a server run under run_with_jack.sh, which starts a private JACK server and
// the jack_receiver client; without it they are skipped.

namespace tastiva {
namespace {

using namespace std::chrono_literals;

constexpr const char* kClientName = "tastiva-ports-test";
constexpr std::uint32_t kNoteOn = 0x007F3C90;
constexpr std::uint32_t kNoteOff = 0x00003C90;

std::string Unique(const std::string& prefix) {
  return prefix + "-" + std::to_string(getpid());
}

class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Everything written to file descriptor 2 (stdio, iostreams, libraries) while run runs.
std::string StderrOf(const std::function<void()>& run) {
  std::FILE* file = std::tmpfile();
  std::fflush(stderr);
  const int saved = dup(2);
  dup2(fileno(file), 2);
  run();
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text += static_cast<char>(c);
  std::fclose(file);
  return text;
}

struct Receiver {
  std::string port;    // its full JACK port name
  std::string output;  // the file it prints its events to
};

std::optional<Receiver> ScriptReceiver() {
  const char* port = std::getenv("TASTIVA_RECEIVER_PORT");
  const char* output = std::getenv("TASTIVA_RECEIVER_OUTPUT");
  if (port == nullptr || output == nullptr) return std::nullopt;
  return Receiver{port, output};
}

#define REQUIRE_RECEIVER(receiver) \
  if (!(receiver)) GTEST_SKIP() << "needs the JACK server and receiver of run_with_jack.sh"

std::size_t FileSize(const std::string& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  return in ? static_cast<std::size_t>(in.tellg()) : 0;
}

// The bytes of the events ("90 3c 7f") the receiver printed after offset; waits up to 3 s
// for count of them.
std::vector<std::string> ReceivedBytes(const std::string& path, std::size_t offset,
                                       std::size_t count) {
  std::vector<std::string> events;
  for (const auto deadline = std::chrono::steady_clock::now() + 3s;
       events.size() < count && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(10ms);
    events.clear();
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset));
    for (std::string line; std::getline(in, line);) {
      if (line != "ready") events.push_back(line.substr(line.find(' ') + 1));  // no time
    }
  }
  return events;
}

std::shared_ptr<MidiDevice> Named(const std::vector<std::shared_ptr<MidiDevice>>& devices,
                                  const std::string& name) {
  for (const auto& device : devices) {
    if (device->Name() == name) return device;
  }
  return nullptr;
}

// A JACK client of the test's own with a MIDI input port "in", which can vanish on demand.
class JackInput {
 public:
  explicit JackInput(std::string clientName) : clientName_(std::move(clientName)) { Start(); }
  ~JackInput() { Stop(); }

  void Start() {
    client_ = jack_client_open(clientName_.c_str(),
                               static_cast<jack_options_t>(JackNoStartServer | JackUseExactName),
                               nullptr);
    if (client_ == nullptr) return;
    jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_activate(client_);
  }
  void Stop() {
    if (client_ != nullptr) jack_client_close(client_);
    client_ = nullptr;
  }
  // After its server stopped: libjack frees the client on the next connection attempt.
  void Abandon() { client_ = nullptr; }
  bool running() const { return client_ != nullptr; }
  std::string port() const { return clientName_ + ":in"; }

  std::vector<std::string> ConnectionsOf(const std::string& port) const {
    std::vector<std::string> names;
    const char** connections =
        jack_port_get_all_connections(client_, jack_port_by_name(client_, port.c_str()));
    for (const char** c = connections; c != nullptr && *c != nullptr; ++c) names.emplace_back(*c);
    jack_free(connections);
    return names;
  }

 private:
  std::string clientName_;
  jack_client_t* client_ = nullptr;
};

TEST(SystemPortsWithoutServer, ListsNothingAndPrintsNothing) {
  ScopedEnv server("JACK_DEFAULT_SERVER", Unique("tastiva-absent"));
  ScopedEnv noStart("JACK_NO_START_SERVER", "1");
  std::vector<std::shared_ptr<MidiDevice>> first, second;
  std::uint32_t platformCount = 1;
  const std::string printed = StderrOf([&] {
    EXPECT_NO_THROW({
      SystemPorts ports(kClientName);
      first = ports.ListPorts();
      second = ports.ListPorts();  // tries to connect again
      DesktopPlatform platform(nullptr, std::make_unique<SystemPorts>(kClientName));
      platformCount = platform.midiOutGetNumDevs();
    });
  });
  EXPECT_EQ(printed, "");
  if (access("/dev/snd/seq", F_OK) != 0) {  // else the ALSA ports are listed
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(second.empty());
    EXPECT_EQ(platformCount, 0u);
  }
}

TEST(SystemPortsWithJack, ThePlatformDeliversShortMessagesByteExact) {
  const auto receiver = ScriptReceiver();
  REQUIRE_RECEIVER(receiver);
  DesktopPlatform platform(nullptr, std::make_unique<SystemPorts>(kClientName));
  std::optional<std::uint32_t> id;
  for (std::uint32_t i = 0, count = platform.midiOutGetNumDevs(); i < count; ++i) {
    MidiOutCaps caps;
    ASSERT_EQ(platform.midiOutGetDevCapsA(i, &caps, sizeof caps), MMSYSERR_NOERROR);
    if (caps.szPname != receiver->port) continue;
    id = i;
    EXPECT_EQ(caps.wTechnology, MOD_MIDIPORT);
  }
  ASSERT_TRUE(id) << receiver->port << " is not listed";

  const std::size_t offset = FileSize(receiver->output);
  MidiHandle handle = 0;
  ASSERT_EQ(platform.midiOutOpen(&handle, *id, 0, 0, 0), MMSYSERR_NOERROR);
  for (const std::uint32_t message : {kNoteOn, kNoteOff, 0x000000B0u, 0x000028C0u}) {
    EXPECT_EQ(platform.midiOutShortMsg(handle, message), MMSYSERR_NOERROR);
  }
  // A program change has one data byte: a third byte would be a fault.
  EXPECT_EQ(ReceivedBytes(receiver->output, offset, 4),
            (std::vector<std::string>{"90 3c 7f", "90 3c 00", "b0 00 00", "c0 28"}));
  EXPECT_EQ(platform.midiOutClose(handle), MMSYSERR_NOERROR);
}

TEST(SystemPortsWithJack, ListingRetriesAMissingServerAndSkipsOwnPorts) {
  const auto receiver = ScriptReceiver();
  REQUIRE_RECEIVER(receiver);
  const std::string ownName = Unique("own");
  JackInput own(ownName);  // as another instance of this program would be named
  ASSERT_TRUE(own.running());
  SystemPorts ports(ownName);
  {
    ScopedEnv absent("JACK_DEFAULT_SERVER", Unique("tastiva-absent"));
    EXPECT_EQ(Named(ports.ListPorts(), receiver->port), nullptr);
  }
  const auto devices = ports.ListPorts();  // the server is there now
  EXPECT_NE(Named(devices, receiver->port), nullptr);
  EXPECT_EQ(Named(devices, own.port()), nullptr);
}

TEST(SystemPortsWithJack, DevicesOpenTogetherAndRefuseMisuse) {
  const auto receiver = ScriptReceiver();
  REQUIRE_RECEIVER(receiver);
  JackInput second(Unique("second"));
  ASSERT_TRUE(second.running());
  SystemPorts ports(kClientName);
  const auto devices = ports.ListPorts();
  const auto toReceiver = Named(devices, receiver->port);
  const auto toSecond = Named(devices, second.port());
  ASSERT_TRUE(toReceiver && toSecond);

  EXPECT_EQ(toReceiver->Send(kNoteOn), MMSYSERR_INVALHANDLE);
  ASSERT_EQ(toReceiver->Open(), MMSYSERR_NOERROR);
  EXPECT_EQ(toReceiver->Open(), MMSYSERR_ALLOCATED);
  ASSERT_EQ(toSecond->Open(), MMSYSERR_NOERROR);
  EXPECT_EQ(toReceiver->Send(0x00007F3C), MMSYSERR_INVALPARAM);  // running status
  EXPECT_EQ(toSecond->Send(kNoteOn), MMSYSERR_NOERROR);

  // Closed and opened again while the other device stays open.
  EXPECT_EQ(toReceiver->Close(), MMSYSERR_NOERROR);
  const std::size_t offset = FileSize(receiver->output);
  ASSERT_EQ(toReceiver->Open(), MMSYSERR_NOERROR);
  // A single open port appears under the plain client name.
  EXPECT_EQ(second.ConnectionsOf(receiver->port),
            std::vector<std::string>{std::string(kClientName) + ":out"});
  EXPECT_EQ(toReceiver->Send(0x00402FE3), MMSYSERR_NOERROR);
  EXPECT_EQ(ReceivedBytes(receiver->output, offset, 1), std::vector<std::string>{"e3 2f 40"});
  EXPECT_EQ(toReceiver->Close(), MMSYSERR_NOERROR);
  EXPECT_EQ(toSecond->Close(), MMSYSERR_NOERROR);
  EXPECT_EQ(toReceiver->Send(kNoteOff), MMSYSERR_INVALHANDLE);
}

TEST(SystemPortsWithJack, VanishedPortsAreRefusedByName) {
  const auto receiver = ScriptReceiver();
  REQUIRE_RECEIVER(receiver);
  JackInput vanishing(Unique("vanishing"));
  ASSERT_TRUE(vanishing.running());
  SystemPorts ports(kClientName);
  const auto devices = ports.ListPorts();
  const auto device = Named(devices, vanishing.port());
  ASSERT_TRUE(device);

  // Gone between listing and opening.
  vanishing.Stop();
  EXPECT_EQ(device->Open(), MMSYSERR_BADDEVICEID);
  EXPECT_NE(device->ErrorDetail().find(vanishing.port() + " is gone"), std::string::npos)
      << device->ErrorDetail();

  // Gone and back (in the same slot of JACK's port table) between two sends: the connection
  // did not come back with it. Refused as soon as JACK's notice arrives, until opened again.
  vanishing.Start();
  ASSERT_EQ(device->Open(), MMSYSERR_NOERROR);
  EXPECT_EQ(device->Send(kNoteOn), MMSYSERR_NOERROR);
  vanishing.Stop();
  vanishing.Start();
  MidiResult code = MMSYSERR_NOERROR;
  for (const auto deadline = std::chrono::steady_clock::now() + 2s;
       code == MMSYSERR_NOERROR && std::chrono::steady_clock::now() < deadline;) {
    std::this_thread::sleep_for(5ms);
    code = device->Send(kNoteOff);
  }
  EXPECT_EQ(code, MIDIERR_NOTREADY);
  EXPECT_NE(device->ErrorDetail().find(vanishing.port()), std::string::npos);
  EXPECT_EQ(device->Send(kNoteOff), MIDIERR_NOTREADY);

  EXPECT_EQ(device->Close(), MMSYSERR_NOERROR);
  EXPECT_EQ(device->Open(), MMSYSERR_NOERROR);
  EXPECT_EQ(device->Send(kNoteOff), MMSYSERR_NOERROR);
  EXPECT_EQ(device->Close(), MMSYSERR_NOERROR);
}

// A JACK server of the test's own, to stop under an open port. Runs in a process of its own
// (see CMakeLists.txt): libjack keeps per-process state of the server it last talked to.
class PrivateServer {
 public:
  ~PrivateServer() {
    Stop();
    if (name_.empty()) return;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm")) {
      if (entry.path().filename().string().find("_" + name_ + "_") != std::string::npos) {
        std::filesystem::remove(entry.path());
      }
    }
  }

  const std::string& name() const { return name_; }

  // Starts jackd under the name it had, or the first free one of a small pool (as
  // run_with_jack.sh does, for the same reason), and waits until clients can connect.
  bool Start() {
    for (const auto deadline = std::chrono::steady_clock::now() + 20s;
         std::chrono::steady_clock::now() < deadline; std::this_thread::sleep_for(500ms)) {
      for (int i = 0; i < 4; ++i) {
        const std::string name = name_.empty() ? "tastiva-ports-stop-" + std::to_string(i) : name_;
        if (!Serving(name) && Launch(name)) {
          name_ = name;
          return true;
        }
      }
    }
    return false;
  }

  // SIGTERM, then SIGKILL after 3 s.
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int i = 0; i < 300; ++i, std::this_thread::sleep_for(10ms)) {
      if (waitpid(pid_, nullptr, WNOHANG) != 0) {
        pid_ = -1;
        return;
      }
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  static bool Serving(const std::string& name) {
    ScopedEnv server("JACK_DEFAULT_SERVER", name);
    jack_client_t* probe = jack_client_open(Unique("probe").c_str(), JackNoStartServer, nullptr);
    if (probe != nullptr) jack_client_close(probe);
    return probe != nullptr;
  }

  // Whether jackd serves under name within 5 s; it exits if the name is taken meanwhile.
  bool Launch(const std::string& name) {
    pid_ = fork();
    if (pid_ == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execlp("jackd", "jackd", "-n", name.c_str(), "-d", "dummy", "-r", "48000", "-p", "256",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(50ms)) {
      if (waitpid(pid_, nullptr, WNOHANG) != 0) {
        pid_ = -1;
        return false;
      }
      if (Serving(name)) return true;
    }
    Stop();
    return false;
  }

  std::string name_;
  pid_t pid_ = -1;
};

TEST(SystemPortsServerStops, PortsAreRefusedAtOnceAndTheNextServerIsUsed) {
  PrivateServer server;
  SystemPorts ports(kClientName);  // before any JACK call: keeps libjack quiet
  ScopedEnv noStart("JACK_NO_START_SERVER", "1");
  ASSERT_TRUE(server.Start()) << "jackd did not start";
  ScopedEnv useServer("JACK_DEFAULT_SERVER", server.name());
  auto input = std::make_unique<JackInput>(Unique("input"));
  ASSERT_TRUE(input->running());
  const auto device = Named(ports.ListPorts(), input->port());
  ASSERT_TRUE(device);
  ASSERT_EQ(device->Open(), MMSYSERR_NOERROR);
  EXPECT_EQ(device->Send(kNoteOn), MMSYSERR_NOERROR);

  server.Stop();
  input->Abandon();
  // Unnoticed, sending would block for good once RtMidi's buffer is full: send more than fits.
  MidiResult code = MMSYSERR_NOERROR;
  for (int i = 0; i < 5000 && code == MMSYSERR_NOERROR; ++i) {
    if (i % 100 == 0) std::this_thread::sleep_for(2ms);
    code = device->Send(kNoteOff);
  }
  EXPECT_EQ(code, MIDIERR_NOTREADY);
  EXPECT_NE(device->ErrorDetail().find("JACK stopped"), std::string::npos);
  // Another part of the program tries to connect: libjack frees the old server's clients.
  EXPECT_EQ(jack_client_open(Unique("other").c_str(), JackNoStartServer, nullptr), nullptr);
  const auto closing = std::chrono::steady_clock::now();
  EXPECT_EQ(device->Close(), MMSYSERR_NOERROR);
  EXPECT_LT(std::chrono::steady_clock::now() - closing, 500ms);
  EXPECT_EQ(Named(ports.ListPorts(), input->port()), nullptr);

  // A new server under the same name.
  ASSERT_TRUE(server.Start());
  input = std::make_unique<JackInput>(Unique("input"));
  const auto again = Named(ports.ListPorts(), input->port());
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Open(), MMSYSERR_NOERROR);
  EXPECT_EQ(again->Send(kNoteOn), MMSYSERR_NOERROR);
  EXPECT_EQ(again->Close(), MMSYSERR_NOERROR);
}

}  // namespace
}  // namespace tastiva
