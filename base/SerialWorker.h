#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <type_traits>

#include "base/Request.h"

namespace tastiva {

// One thread that runs tasks one after another, in the order they were posted; a timed task
// runs once due, holding back nothing that is due before it. It is for calls that may wait
// long or for good (a JACK server that is stopped, a SoundFont that decodes for seconds): the
// caller waits a bounded time, or not at all.
//
// The thread starts with the first task. It and its queue outlive this object: destroying it
// waits up to endWait for the tasks posted, then leaves them to end on their own, so a task
// must own (or share) whatever it uses.
class SerialWorker {
 public:
  using Clock = std::chrono::steady_clock;
  using Task = std::function<void()>;

  explicit SerialWorker(Clock::duration endWait = std::chrono::seconds(1));
  ~SerialWorker();
  SerialWorker(const SerialWorker&) = delete;
  SerialWorker& operator=(const SerialWorker&) = delete;

  // Runs task after those posted before it. What a task throws is dropped.
  void Post(Task task);
  // Runs task at due or after, after the tasks due before it.
  void PostAt(Clock::time_point due, Task task);
  // Posts task and waits for it up to timeout: true if it ended by then. If not, it still
  // runs, and the worker is Stuck until it ends.
  bool Run(Task task, Clock::duration timeout);
  // Posts work() and hands back a request for what it returns. A wait on it that ends first
  // makes the worker Stuck until the work ends.
  template <typename Work>
  Request<std::invoke_result_t<Work&>> Ask(Work work) {
    using T = std::invoke_result_t<Work&>;
    Request<T> request;
    const std::uint64_t ticket = Enqueue(
        [request, work = std::move(work)]() mutable {
          try {
            request.Give(work());
          } catch (...) {
            request.Fail(std::current_exception());
          }
        },
        {});
    request.OnLate([state = std::weak_ptr<State>(state_), ticket] { Late(state, ticket); });
    return request;
  }
  // Whether a task that a caller stopped waiting for has not ended: what it waits on does not
  // answer, and everything posted after it waits too.
  bool Stuck() const;
  // Tasks not yet started are dropped.
  void DropQueued();

 private:
  struct State;
  // A task's ticket; due is Clock::time_point{} for at once.
  std::uint64_t Enqueue(Task task, Clock::time_point due);
  static void Late(const std::weak_ptr<State>& state, std::uint64_t ticket);

  Clock::duration endWait_;
  std::shared_ptr<State> state_;
};

}  // namespace tastiva
