// A JACK server of the test's own that stops, stalls and dies under an open port.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <ctime>
#include <string>
#include <thread>

#include "midi/MidiResults.h"
#include "midi/ports/SystemPorts.h"
#include "tests/ports/PortsTestSupport.h"

namespace tastiva {
namespace {

// An input of the test's own on a server of the test's own, open as a device.
class ServerFault : public ::testing::Test {
 protected:
  void Open(const char* serverName) {
    server.name = serverName;
    ASSERT_TRUE(server.Start()) << "jackd did not start";
    server.Use();
    input = std::make_unique<JackInput>("input");
    device = Named(ports.ListPorts(), input->port());
    ASSERT_TRUE(device);
    ASSERT_EQ(device->Open().code, MMSYSERR_NOERROR);
  }

  PrivateServer server;
  SystemPorts ports{kClientName};  // before any JACK call: keeps libjack quiet
  std::unique_ptr<JackInput> input;
  std::shared_ptr<MidiDevice> device;
};
using SystemPortsServerStops = ServerFault;
using SystemPortsServerStalls = ServerFault;

TEST_F(SystemPortsServerStops, PortsAreRefusedAtOnceAndTheNextServerIsUsed) {
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

TEST_F(SystemPortsServerStalls, SendsNeverWaitAndWhatWasAcceptedArrives) {
  ASSERT_NO_FATAL_FAILURE(Open("tastiva-ports-stall"));

  // Every call returns at once, whatever the server does.
  const auto prompt = [](auto call) {
    const auto start = std::chrono::steady_clock::now();
    const DeviceResult result = call();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 100ms);
    return result;
  };
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
    EXPECT_TRUE(WaitFor(2s, [&] { return input->received() == accepted; }));
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
  // Every message accepted arrived, once.
  WaitFor(2s, [&] { return input->received() >= accepted; });
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(input->received(), accepted);

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
