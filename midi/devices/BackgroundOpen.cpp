#include "midi/devices/BackgroundOpen.h"

#include <mutex>
#include <utility>

#include "midi/MidiResults.h"
#include "midi/devices/PendingMessages.h"

namespace tastiva {

namespace {

enum class State { kClosed, kOpening, kOpen, kRefused };

// A close waits for nothing but what the device's own close does.
constexpr auto kNoWait = std::chrono::milliseconds(0);

}  // namespace

struct BackgroundOpen::Shared {
  std::mutex mutex;
  State state = State::kClosed;
  std::uint64_t opening = 0;  // which Open the worker's answer is for
  PendingMessages pending;
  DeviceResult refusal;
  bool told = false;  // the refusal was given to a caller
  BusyHook busy;

  void Busy(bool on) const {
    if (busy) busy(on);
  }
};

BackgroundOpen::BackgroundOpen(std::shared_ptr<MidiDevice> device)
    : device_(std::move(device)), shared_(std::make_shared<Shared>()), worker_(kNoWait) {}

BackgroundOpen::~BackgroundOpen() {
  try {
    Close();
  } catch (...) {
    // Out of memory: the device stays open until the program ends.
  }
}

void BackgroundOpen::SetBusyHook(BusyHook busy) {
  shared_->busy = busy;
  device_->SetBusyHook(std::move(busy));
}

DeviceResult BackgroundOpen::Open() {
  std::uint64_t opening = 0;
  {
    std::lock_guard lock(shared_->mutex);
    if (shared_->state != State::kClosed) return MMSYSERR_ALLOCATED;
    shared_->state = State::kOpening;
    shared_->pending.Clear();
    opening = ++shared_->opening;
  }
  shared_->Busy(true);
  // Worker: the device opens; what waited is played in order; or the refusal is kept.
  worker_.Post([device = device_, shared = shared_, opening] {
    DeviceResult opened = MMSYSERR_ERROR;
    try {
      opened = device->Open();
    } catch (...) {
      opened = MMSYSERR_NOMEM;
    }
    {
      std::lock_guard lock(shared->mutex);
      if (shared->opening == opening && shared->state == State::kOpening) {
        if (opened.code == MMSYSERR_NOERROR) {
          shared->state = State::kOpen;
          while (!shared->pending.Empty()) {
            const DeviceResult sent = device->Send(shared->pending.Pop());
            if (sent.code != MMSYSERR_NOERROR && shared->refusal.code == MMSYSERR_NOERROR) {
              shared->refusal = sent;  // told at the next call
            }
          }
        } else {
          shared->state = State::kRefused;
          shared->refusal = opened;
          shared->told = false;
          shared->pending.Clear();
        }
      }
    }
    shared->Busy(false);
  });
  return MMSYSERR_NOERROR;
}

DeviceResult BackgroundOpen::Close() {
  std::unique_lock lock(shared_->mutex);
  const State state = std::exchange(shared_->state, State::kClosed);
  shared_->pending.Clear();
  DeviceResult untold = std::exchange(shared_->refusal, DeviceResult());
  const bool told = std::exchange(shared_->told, false);
  lock.unlock();
  switch (state) {
    case State::kClosed:
      return MMSYSERR_INVALHANDLE;
    case State::kOpening:
      // Closed on the worker once it has opened, if it did.
      worker_.Post([device = device_] { device->Close(); });
      return MMSYSERR_NOERROR;
    case State::kRefused:
      return told ? DeviceResult(MMSYSERR_NOERROR) : untold;
    case State::kOpen:
      break;
  }
  const DeviceResult closed = device_->Close();
  return untold.code != MMSYSERR_NOERROR ? untold : closed;
}

DeviceResult BackgroundOpen::Send(std::uint32_t message) {
  std::unique_lock lock(shared_->mutex);
  switch (shared_->state) {
    case State::kClosed:
      return MMSYSERR_INVALHANDLE;
    case State::kOpening:
      shared_->pending.Push(message);
      return MMSYSERR_NOERROR;
    case State::kRefused:
      shared_->told = true;
      return shared_->refusal;
    case State::kOpen:
      break;
  }
  // A refusal met while what waited was played is told now.
  const DeviceResult earlier = std::exchange(shared_->refusal, DeviceResult());
  lock.unlock();
  // Open, only this thread calls the device now.
  const DeviceResult sent = device_->Send(message);
  return sent.code == MMSYSERR_NOERROR ? earlier : sent;
}

}  // namespace tastiva
