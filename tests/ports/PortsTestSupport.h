#pragma once

// What the system port tests share: finding a device, a JACK input of the test's own, and a
// JACK server of the test's own.
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <jack/midiport.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "midi/devices/MidiDevice.h"
#include "tests/support/JackServer.h"

namespace tastiva {

using namespace std::chrono_literals;
using test::PrivateServer;
using test::WaitFor;

inline constexpr const char* kClientName = "tastiva-ports-test";
inline constexpr std::uint32_t kNoteOn = 0x007F3C90;
inline constexpr std::uint32_t kNoteOff = 0x00003C90;

#define REQUIRE_JACK() \
  if (!std::getenv("TASTIVA_RECEIVER_PORT")) GTEST_SKIP() << "needs run_with_jack.sh"

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

}  // namespace tastiva
