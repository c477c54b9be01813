#include "midi/ports/JackSystem.h"

#include <algorithm>
#include <utility>

#include "midi/ports/Bury.h"

namespace tastiva {

JackSystem::JackSystem(std::string clientName) : clientName_(std::move(clientName)) {}

JackSystem::~JackSystem() {
  if (watch_ && !watch_->Alive()) {
    Bury(std::move(watch_));
  } else if (watch_) {
    worker_.Post([watch = std::move(watch_)]() mutable { watch.reset(); });
  }
}

void JackSystem::Begin() {
  if (watch_ || pending_ || worker_.Stuck()) return;
  pending_ = std::make_shared<Pending>();
  // Kept when the wait ends first: the next call takes what the request gave.
  worker_.Post([pending = pending_, name = clientName_ + "-watch"] {
    auto watch = JackWatch::Open(name);
    std::lock_guard lock(pending->mutex);
    pending->watch = std::move(watch);
    pending->done = true;
  });
}

JackSystem::State JackSystem::Connect() {
  if (watch_ && !watch_->Alive()) Bury(std::move(watch_));
  if (watch_) return State::kConnected;
  if (!pending_) {
    if (worker_.Stuck()) return State::kNotResponding;
    Begin();
  }
  // Requests run in order: once this empty one ran, the watch's had its answer. A server that
  // did not answer an earlier wait is not waited for again.
  if (!worker_.Stuck()) worker_.Run([] {}, kRequestTimeout);
  {
    std::lock_guard lock(pending_->mutex);
    if (!pending_->done) return State::kNotResponding;
    watch_ = std::move(pending_->watch);
  }
  pending_.reset();
  if (watch_ && !watch_->Alive()) Bury(std::move(watch_));
  return watch_ ? State::kConnected : State::kNoServer;
}

std::vector<std::string> JackSystem::PortNames() const {
  std::vector<std::string> names = watch_->MidiInputs();
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tastiva
