#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/SerialWorker.h"
#include "midi/jack/JackWatch.h"

namespace tastiva {

// The connection to the JACK server, shared by the directory and its devices so that open
// devices outlive the directory: the watch that lists the ports, and the worker that makes
// every request that waits for the server (opening, connecting, closing clients). Called from
// the platform's thread.
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
  SerialWorker& worker() { return worker_; }

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
  std::string clientName_;
  // Destroyed, it waits a moment for the clients it closes; a stopped server keeps them until
  // it goes on or away.
  SerialWorker worker_;
  std::shared_ptr<JackWatch> watch_;
  // A watch being opened; a wait that ends first leaves it for the next Connect to take.
  std::optional<Request<std::shared_ptr<JackWatch>>> opening_;
};

}  // namespace tastiva
