#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "midi/MidiResults.h"
#include "midi/devices/MidiDevice.h"

namespace tastiva::test {

// A device that logs what it is sent and closed, and opens with the answer the test chose:
// at once, or, made with opens 0, each time only once the test lets it.
class FakeDevice final : public MidiDevice {
 public:
  static constexpr std::uint32_t kClosed = 0xC105E;  // logged for the close of an open device

  explicit FakeDevice(std::string name, int opens = 1 << 30)
      : name_(std::move(name)), allowed_(opens) {}
  std::string Name() const override { return name_; }
  std::uint16_t Technology() const override { return MOD_MIDIPORT; }
  void Prepare() override { ++prepared; }
  DeviceResult Open() override {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return allowed_ > 0; });
    --allowed_;
    open_ = answer.code == MMSYSERR_NOERROR;
    return answer;
  }
  DeviceResult Close() override {
    std::lock_guard lock(mutex_);
    log_.push_back(open_ ? kClosed : 0xBAD);
    open_ = false;
    return 0;
  }
  DeviceResult Send(std::uint32_t word) override {
    std::lock_guard lock(mutex_);
    log_.push_back(word);
    return 0;
  }
  void Let() {
    std::lock_guard lock(mutex_);
    ++allowed_;
    changed_.notify_all();
  }
  std::vector<std::uint32_t> Log() {
    std::lock_guard lock(mutex_);
    return log_;
  }

  DeviceResult answer;  // set before it is opened
  std::atomic<int> prepared{0};

 private:
  const std::string name_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int allowed_;
  bool open_ = false;
  std::vector<std::uint32_t> log_;
};

}  // namespace tastiva::test
