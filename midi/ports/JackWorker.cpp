#include "midi/ports/JackWorker.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace tastiva {

namespace {

constexpr std::chrono::seconds kFinishTimeout{1};

}  // namespace

struct JackWorker::State {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::function<void()>> queue;
  std::uint64_t queued = 0;     // requests queued so far
  std::uint64_t finished = 0;   // requests ended so far
  std::uint64_t abandoned = 0;  // the last request a caller gave up on
  bool ending = false;

  void Loop() {
    std::unique_lock lock(mutex);
    for (;;) {
      changed.wait(lock, [&] { return ending || !queue.empty(); });
      if (queue.empty()) return;
      std::function<void()> request = std::move(queue.front());
      queue.pop_front();
      lock.unlock();
      request();
      request = nullptr;  // what it holds goes on this thread, not under the lock
      lock.lock();
      ++finished;
      changed.notify_all();
    }
  }
};

JackWorker::JackWorker() : state_(std::make_shared<State>()) {
  std::thread([state = state_] { state->Loop(); }).detach();
}

JackWorker::~JackWorker() {
  std::unique_lock lock(state_->mutex);
  state_->ending = true;
  state_->changed.notify_all();
  state_->changed.wait_for(lock, kFinishTimeout,
                           [&] { return state_->finished == state_->queued; });
}

bool JackWorker::Run(std::function<void()> request, std::chrono::milliseconds timeout) {
  std::unique_lock lock(state_->mutex);
  state_->queue.push_back(std::move(request));
  const std::uint64_t ticket = ++state_->queued;
  state_->changed.notify_all();
  if (state_->changed.wait_for(lock, timeout, [&] { return state_->finished >= ticket; })) {
    return true;
  }
  state_->abandoned = ticket;
  return false;
}

void JackWorker::Post(std::function<void()> request) {
  std::lock_guard lock(state_->mutex);
  state_->queue.push_back(std::move(request));
  ++state_->queued;
  state_->changed.notify_all();
}

bool JackWorker::Stuck() const {
  std::lock_guard lock(state_->mutex);
  return state_->finished < state_->abandoned;
}

}  // namespace tastiva
