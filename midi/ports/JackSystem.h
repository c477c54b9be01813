#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "midi/ports/JackWatch.h"
#include "midi/ports/JackWorker.h"

namespace tastiva {

// The connection to the JACK server, shared by the directory and its devices so that open
// devices outlive the directory: the watch that lists the ports, and the worker that makes
// every request that waits for the server.
class JackSystem {
 public:
  enum class State { kConnected, kNoServer, kNotResponding };

  // How long a caller waits for a request before it takes the server for stopped.
  static constexpr std::chrono::milliseconds kRequestTimeout{1000};

  explicit JackSystem(std::string clientName);
  ~JackSystem();
  JackSystem(const JackSystem&) = delete;
  JackSystem& operator=(const JackSystem&) = delete;

  const std::string& clientName() const { return clientName_; }
  JackWorker& worker() { return worker_; }

  // Connects the watch, and again when the server went away since: a new server needs new
  // clients.
  State Connect();
  // Starts connecting the watch without waiting; the next Connect waits for it.
  void Begin();
  // Only while connected.
  const std::shared_ptr<JackWatch>& watch() const { return watch_; }
  // The full names of the MIDI input ports, sorted: JACK lists in registration order, which
  // changes whenever a client restarts.
  std::vector<std::string> PortNames() const;

 private:
  // A watch whose opening the caller stopped waiting for.
  struct Pending {
    std::mutex mutex;
    bool done = false;
    std::shared_ptr<JackWatch> watch;
  };

  std::string clientName_;
  JackWorker worker_;
  std::shared_ptr<JackWatch> watch_;
  std::shared_ptr<Pending> pending_;
};

}  // namespace tastiva
