#pragma once

#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

namespace tastiva {

// An answer one thread gives another that waits for it a bounded time. The waiter may give up:
// an answer that comes later is then dropped on the thread that gives it, so whatever it owns
// (a JACK client, an audio driver) is closed there and never holds up the waiter. Work that
// failed makes the wait throw what it threw. Copies share one request.
template <typename T>
class Request {
 public:
  using Clock = std::chrono::steady_clock;

  Request() : state_(std::make_shared<State>()) {}

  // The giver's side. Gives the answer, or drops it here if the waiter gave up.
  void Give(T value) const {
    std::optional<T> dropped;  // destroyed after the lock is left
    {
      std::lock_guard lock(state_->mutex);
      if (state_->abandoned) {
        dropped.emplace(std::move(value));
      } else {
        state_->value.emplace(std::move(value));
      }
      state_->given = true;
    }
    state_->changed.notify_all();
  }
  // The work for it failed: the waiter's wait throws error.
  void Fail(std::exception_ptr error) const {
    {
      std::lock_guard lock(state_->mutex);
      state_->error = std::move(error);
      state_->given = true;
    }
    state_->changed.notify_all();
  }
  // Whether the waiter gave up: work not yet done for it need not be.
  bool Abandoned() const {
    std::lock_guard lock(state_->mutex);
    return state_->abandoned;
  }

  // The waiter's side. The answer if it comes within limit; once taken it is gone. Without it,
  // the request stays open for a later wait.
  std::optional<T> Await(Clock::duration limit) const { return Wait(limit, false); }
  // The answer, however long it takes; nothing if it was taken already.
  std::optional<T> Await() const {
    std::unique_lock lock(state_->mutex);
    state_->changed.wait(lock, [&] { return state_->given; });
    return state_->Take();
  }
  // The same, but without it the waiter gives up for good.
  std::optional<T> AwaitOrAbandon(Clock::duration limit) const { return Wait(limit, true); }
  // Gives up at once. An answer already given and not taken is handed back to be disposed of.
  std::optional<T> Abandon() const { return Wait(Clock::duration::zero(), true); }
  bool Given() const {
    std::lock_guard lock(state_->mutex);
    return state_->given;
  }

  // Called once when a wait ends before the answer came (SerialWorker counts such requests).
  // Set before the request is shared.
  void OnLate(std::function<void()> late) const { state_->late = std::move(late); }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    bool given = false;
    bool abandoned = false;
    std::optional<T> value;
    std::exception_ptr error;
    std::function<void()> late;  // set before the request is shared

    // Under the lock, once given: the answer, taken, or the failure thrown.
    std::optional<T> Take() {
      if (error) std::rethrow_exception(std::exchange(error, nullptr));
      return std::exchange(value, std::nullopt);
    }
  };

  std::optional<T> Wait(Clock::duration limit, bool abandon) const {
    std::function<void()> late;
    {
      std::unique_lock lock(state_->mutex);
      if (state_->changed.wait_for(lock, limit, [&] { return state_->given; })) {
        if (abandon) state_->abandoned = true;
        return state_->Take();
      }
      if (abandon) state_->abandoned = true;
      late = std::exchange(state_->late, nullptr);
    }
    if (late) late();
    return std::nullopt;
  }

  std::shared_ptr<State> state_;
};

}  // namespace tastiva
