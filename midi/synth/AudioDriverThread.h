#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace tastiva {

// FluidSynth's audio drivers are made and deleted one after another on this thread: a JACK
// server that hangs then holds it, never the caller, and libjack never sees a client of a
// dead server closed while a new one connects.
class AudioDriverThread {
 public:
  static AudioDriverThread& Instance();

  // Runs task after the ones before it.
  void Post(std::function<void()> task);
  // The same, and waits for it up to limit; true if it finished.
  bool Run(std::function<void()> task, std::chrono::steady_clock::duration limit);

 private:
  AudioDriverThread();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace tastiva
