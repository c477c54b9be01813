#include "midi/jack/JackWatch.h"

#include <cstdint>

namespace tastiva {

std::shared_ptr<JackWatch> JackWatch::Open(const std::string& clientName) {
  jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, nullptr);
  if (client == nullptr) return nullptr;
  auto watch = std::make_shared<JackWatch>(client);
  jack_on_shutdown(client, &JackWatch::OnShutdown, watch.get());
  jack_set_port_registration_callback(client, &JackWatch::OnPortRegistration, watch.get());
  watch->published_.store(true, std::memory_order_release);
  // Without a process callback this joins no processing cycle; it only gets notifications.
  if (jack_activate(client) != 0) return nullptr;
  return watch;
}

std::uint32_t JackWatch::Cycle() const {
  jack_nframes_t frames = 0;
  jack_time_t current = 0;
  jack_time_t next = 0;
  float period = 0;
  if (jack_get_cycle_times(client_, &frames, &current, &next, &period) != 0) return 0;
  return frames;
}

JackWatch::~JackWatch() {
  jack_client_close(client_);
}

std::vector<std::string> JackWatch::MidiInputs() const {
  std::vector<std::string> names;
  // Read from the server's shared memory: answers even while the server is stopped.
  const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
  if (ports == nullptr) return names;
  for (const char** port = ports; *port != nullptr; ++port) names.emplace_back(*port);
  jack_free(ports);
  return names;
}

std::shared_ptr<std::atomic<bool>> JackWatch::WatchPort(const std::string& fullName) {
  const jack_port_t* port = jack_port_by_name(client_, fullName.c_str());
  if (port == nullptr) return nullptr;
  auto gone = std::make_shared<std::atomic<bool>>(false);
  {
    std::lock_guard lock(mutex_);
    std::erase_if(watched_, [](const Watched& w) { return w.gone.expired(); });
    watched_.push_back({port, gone});
  }
  // Unregistered before the entry was in place.
  if (jack_port_by_name(client_, fullName.c_str()) != port) gone->store(true);
  return gone;
}

void JackWatch::OnShutdown(void* self) {
  auto* watch = static_cast<JackWatch*>(self);
  if (!watch->published_.load(std::memory_order_acquire)) return;
  watch->alive_.store(false, std::memory_order_release);
}

// On JACK's notification thread, which may block.
void JackWatch::OnPortRegistration(jack_port_id_t id, int registered, void* self) {
  if (registered) return;
  auto* watch = static_cast<JackWatch*>(self);
  if (!watch->published_.load(std::memory_order_acquire)) return;
  const jack_port_t* port = jack_port_by_id(watch->client_, id);
  std::lock_guard lock(watch->mutex_);
  for (const Watched& w : watch->watched_) {
    // jackd2's port handles are the ids themselves, and may no longer resolve by now.
    if (w.port != port && reinterpret_cast<std::uintptr_t>(w.port) != id) continue;
    if (const auto gone = w.gone.lock()) gone->store(true, std::memory_order_release);
  }
}

}  // namespace tastiva
