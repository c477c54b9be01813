#include "midi/synth/AudioDriverThread.h"

#include <atomic>
#include <memory>
#include <thread>

namespace tastiva {

AudioDriverThread& AudioDriverThread::Instance() {
  static auto* thread = new AudioDriverThread;  // never destroyed: it may hang at exit
  return *thread;
}

AudioDriverThread::AudioDriverThread() {
  std::thread([this] {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return !tasks_.empty(); });
      auto task = std::move(tasks_.front());
      tasks_.pop_front();
      lock.unlock();
      task();
      lock.lock();
      changed_.notify_all();
    }
  }).detach();
}

void AudioDriverThread::Post(std::function<void()> task) {
  std::lock_guard lock(mutex_);
  tasks_.push_back(std::move(task));
  changed_.notify_all();
}

bool AudioDriverThread::Run(std::function<void()> task, std::chrono::steady_clock::duration limit) {
  auto finished = std::make_shared<std::atomic<bool>>(false);
  Post([task = std::move(task), finished] {
    task();
    finished->store(true);
  });
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, limit, [&] { return finished->load(); });
}

}  // namespace tastiva
