#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace tastiva {

// One thread that makes the JACK requests which wait for the server (opening, connecting,
// closing clients), one after another. A stopped server never answers them, so callers wait a
// bounded time and give up; the request still runs when the server answers or goes.
class JackWorker {
 public:
  JackWorker();
  // Waits a bounded time for the requests queued; a thread still waiting is left behind.
  ~JackWorker();
  JackWorker(const JackWorker&) = delete;
  JackWorker& operator=(const JackWorker&) = delete;

  // Runs request on the thread; true if it ended within timeout.
  bool Run(std::function<void()> request, std::chrono::milliseconds timeout);
  // Queues request without waiting for it.
  void Post(std::function<void()> request);
  // Whether a request given up by its caller still waits: the server does not answer.
  bool Stuck() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace tastiva
