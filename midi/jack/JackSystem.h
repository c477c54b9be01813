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

  // A server whose periods stand still this long is stopped or hung; one that runs is waited
  // for, however slowly a busy machine lets it answer, up to kLongestWait.
  static constexpr std::chrono::milliseconds kStandStill{500};
  static constexpr std::chrono::seconds kLongestWait{60};
  // With no client yet to watch the server's periods, its first answer is waited for this long.
  static constexpr std::chrono::seconds kFirstContact{10};

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

  // What the worker answers, waited for while the server runs: nothing once it went away or
  // stood still for kStandStill. The request then stays open.
  template <typename T>
  std::optional<T> Await(const Request<T>& request) const;

 private:
  std::string clientName_;
  // Destroyed, it waits a moment for the clients it closes; a stopped server keeps them until
  // it goes on or away.
  SerialWorker worker_;
  std::shared_ptr<JackWatch> watch_;
  // A watch being opened; a wait that ends first leaves it for the next Connect to take.
  std::optional<Request<std::shared_ptr<JackWatch>>> opening_;
};

template <typename T>
std::optional<T> JackSystem::Await(const Request<T>& request) const {
  using Clock = std::chrono::steady_clock;
  if (!watch_) return request.Await(kFirstContact);
  constexpr auto kLook = std::chrono::milliseconds(50);
  const auto start = Clock::now();
  auto moved = start;
  std::uint32_t cycle = watch_->Cycle();
  for (;;) {
    if (std::optional<T> answer = request.Await(kLook)) return answer;
    if (request.Given() || !watch_->Alive()) return std::nullopt;
    const auto now = Clock::now();
    if (const std::uint32_t at = watch_->Cycle(); at != cycle) {
      cycle = at;
      moved = now;
    }
    if (now - moved > kStandStill || now - start > kLongestWait) return std::nullopt;
  }
}

}  // namespace tastiva
