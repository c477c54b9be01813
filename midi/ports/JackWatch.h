#pragma once

#include <atomic>
#include <memory>
#include <string>

#if defined(__linux__)
#include <jack/jack.h>

#include <mutex>
#include <vector>
#endif

namespace tastiva {

#if defined(__linux__)
// A JACK client of our own, without ports, that learns when the server goes away or a port
// is unregistered. RtMidi does not: its clients keep listing the ports of a server that is
// gone, a send then waits forever for room in a buffer that nobody empties, and a port that
// comes back in the same slot looks the same but is no longer connected.
class JackWatch {
 public:
  // Null when no server runs.
  static std::shared_ptr<JackWatch> Open(const std::string& clientName);

  explicit JackWatch(jack_client_t* client) : client_(client) {}
  ~JackWatch();  // only while the server is alive: see Bury
  JackWatch(const JackWatch&) = delete;
  JackWatch& operator=(const JackWatch&) = delete;

  bool Alive() const { return alive_.load(std::memory_order_acquire); }

  // A flag raised once the port now registered under fullName is unregistered; null if there
  // is no such port.
  std::shared_ptr<std::atomic<bool>> WatchPort(const std::string& fullName);

 private:
  struct Watched {
    const jack_port_t* port;
    std::weak_ptr<std::atomic<bool>> gone;
  };

  static void OnShutdown(void* self);
  static void OnPortRegistration(jack_port_id_t id, int registered, void* self);

  jack_client_t* client_;
  std::atomic<bool> alive_{true};
  std::mutex mutex_;
  std::vector<Watched> watched_;
};
#else
// Without JACK there is nothing to watch: the system never goes and ports are looked up.
class JackWatch {
 public:
  bool Alive() const { return true; }
  std::shared_ptr<std::atomic<bool>> WatchPort(const std::string&) {
    return std::make_shared<std::atomic<bool>>(false);
  }
};
#endif

}  // namespace tastiva
