#include "base/SerialWorker.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace tastiva {

struct SerialWorker::State {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<std::pair<std::uint64_t, Task>> queue;
  std::multimap<Clock::time_point, Task> timed;
  std::set<std::uint64_t> pending;  // tickets queued or running
  std::set<std::uint64_t> late;     // of those, the ones a caller stopped waiting for
  std::uint64_t tickets = 0;
  bool started = false;
  bool running = false;
  bool ending = false;

  bool Idle() const { return queue.empty() && !running; }

  // The thread's loop; it holds the state, so it may outlive the worker.
  static void Loop(const std::shared_ptr<State>& self) {
    std::unique_lock lock(self->mutex);
    for (;;) {
      // Due timed tasks join the queue; at the end they are all due.
      const Clock::time_point now = Clock::now();
      while (!self->timed.empty() && (self->ending || self->timed.begin()->first <= now)) {
        self->queue.emplace_back(0, std::move(self->timed.begin()->second));
        self->timed.erase(self->timed.begin());
      }
      if (!self->queue.empty()) {
        auto [ticket, task] = std::move(self->queue.front());
        self->queue.pop_front();
        self->running = true;
        lock.unlock();
        try {
          task();
        } catch (...) {
          // Nobody to tell: a task that can fail says so through what it shares.
        }
        task = nullptr;  // what it holds goes on this thread, outside the lock
        lock.lock();
        self->running = false;
        self->pending.erase(ticket);
        self->late.erase(ticket);
        self->changed.notify_all();
        continue;
      }
      if (self->ending) return;
      if (self->timed.empty()) {
        self->changed.wait(lock);
      } else {
        self->changed.wait_until(lock, self->timed.begin()->first);
      }
    }
  }
};

SerialWorker::SerialWorker(Clock::duration endWait)
    : endWait_(endWait), state_(std::make_shared<State>()) {}

SerialWorker::~SerialWorker() {
  std::unique_lock lock(state_->mutex);
  state_->ending = true;
  state_->changed.notify_all();
  if (!state_->started) return;
  state_->changed.wait_for(lock, endWait_, [&] { return state_->Idle() && state_->timed.empty(); });
}

std::uint64_t SerialWorker::Enqueue(Task task, Clock::time_point due) {
  std::lock_guard lock(state_->mutex);
  if (!state_->started) {
    std::thread([state = state_] { State::Loop(state); }).detach();
    state_->started = true;
  }
  std::uint64_t ticket = 0;
  if (due == Clock::time_point{}) {
    ticket = ++state_->tickets;
    state_->pending.insert(ticket);
    state_->queue.emplace_back(ticket, std::move(task));
  } else {
    state_->timed.emplace(due, std::move(task));
  }
  state_->changed.notify_all();
  return ticket;
}

void SerialWorker::Post(Task task) {
  Enqueue(std::move(task), {});
}

void SerialWorker::PostAt(Clock::time_point due, Task task) {
  Enqueue(std::move(task), due == Clock::time_point{} ? due + Clock::duration(1) : due);
}

bool SerialWorker::Run(Task task, Clock::duration timeout) {
  const std::uint64_t ticket = Enqueue(std::move(task), {});
  std::unique_lock lock(state_->mutex);
  if (state_->changed.wait_for(lock, timeout, [&] { return !state_->pending.contains(ticket); })) {
    return true;
  }
  state_->late.insert(ticket);
  return false;
}

void SerialWorker::Late(const std::weak_ptr<State>& weak, std::uint64_t ticket) {
  const std::shared_ptr<State> state = weak.lock();
  if (!state) return;
  std::lock_guard lock(state->mutex);
  if (state->pending.contains(ticket)) state->late.insert(ticket);
}

bool SerialWorker::Stuck() const {
  std::lock_guard lock(state_->mutex);
  return !state_->late.empty();
}

void SerialWorker::DropQueued() {
  std::deque<std::pair<std::uint64_t, Task>> dropped;
  std::multimap<Clock::time_point, Task> droppedTimed;
  {
    std::lock_guard lock(state_->mutex);
    dropped.swap(state_->queue);
    droppedTimed.swap(state_->timed);
    for (const auto& entry : dropped) {
      state_->pending.erase(entry.first);
      state_->late.erase(entry.first);
    }
    state_->changed.notify_all();
  }
}

}  // namespace tastiva
