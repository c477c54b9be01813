#pragma once

#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace tastiva {

// A JACK client of our own, without ports, that lists the ports and learns when the server
// goes away or a port is unregistered: a port that comes back in the same slot looks the same
// but is no longer connected. Without a process callback it never wakes with the periods.
class JackWatch {
 public:
  // Null when no server runs. Waits for the server: the JACK worker's thread only.
  static std::shared_ptr<JackWatch> Open(const std::string& clientName);

  explicit JackWatch(jack_client_t* client) : client_(client) {}
  ~JackWatch();  // only while the server is alive: see Bury
  JackWatch(const JackWatch&) = delete;
  JackWatch& operator=(const JackWatch&) = delete;

  bool Alive() const { return alive_.load(std::memory_order_acquire); }
  // The first frame of the server's current period, read from its shared memory: it stays
  // put while the server stands still (stopped, or hung), however slowly a busy machine runs.
  // Any thread.
  std::uint32_t Cycle() const;

  // The full names of the MIDI input ports present now, in registration order. Any thread.
  std::vector<std::string> MidiInputs() const;

  // A flag raised (on JACK's notification thread) once the port now registered under fullName
  // is unregistered; null if there is no such port. The UI thread.
  std::shared_ptr<std::atomic<bool>> WatchPort(const std::string& fullName);

 private:
  struct Watched {
    const jack_port_t* port;
    std::weak_ptr<std::atomic<bool>> gone;
  };

  static void OnShutdown(void* self);
  static void OnPortRegistration(jack_port_id_t id, int registered, void* self);

  jack_client_t* client_;
  // Set once the object is whole, before JACK's threads may call it: they see it through this
  // flag, not only through JACK's own synchronisation.
  std::atomic<bool> published_{false};
  std::atomic<bool> alive_{true};
  std::mutex mutex_;
  std::vector<Watched> watched_;
};

}  // namespace tastiva
