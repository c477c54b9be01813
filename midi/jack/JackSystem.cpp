#include "midi/jack/JackSystem.h"

#include <algorithm>
#include <utility>

#include "midi/jack/Bury.h"

namespace tastiva {

namespace {

// A watch is closed on the worker (the server may not answer), or kept for good once its
// server went away (see Bury).
void Release(SerialWorker& worker, std::shared_ptr<JackWatch> watch) {
  if (!watch) return;
  if (!watch->Alive()) {
    Bury(std::move(watch));
  } else {
    worker.Post([watch = std::move(watch)]() mutable { watch.reset(); });
  }
}

}  // namespace

JackSystem::JackSystem(std::string clientName) : clientName_(std::move(clientName)) {}

JackSystem::~JackSystem() {
  try {
    if (opening_) {
      // One that arrives later is closed where it was opened.
      if (auto watch = opening_->Abandon()) Release(worker_, std::move(*watch));
    }
    Release(worker_, std::move(watch_));
  } catch (...) {
    // Out of memory: the watch stays open until the program ends.
  }
}

void JackSystem::Begin() {
  if (watch_ || opening_ || worker_.Stuck()) return;
  opening_ = worker_.Ask([name = clientName_ + "-watch"] { return JackWatch::Open(name); });
}

JackSystem::State JackSystem::Connect() {
  if (watch_ && !watch_->Alive()) Bury(std::move(watch_));
  if (watch_) return State::kConnected;
  if (!opening_) {
    if (worker_.Stuck()) return State::kNotResponding;
    Begin();
  }
  // A server that did not answer an earlier wait is not waited for again.
  const auto wait = worker_.Stuck() ? SerialWorker::Clock::duration::zero()
                                    : SerialWorker::Clock::duration(kFirstContact);
  std::optional<std::shared_ptr<JackWatch>> opened = opening_->Await(wait);
  if (!opened && !opening_->Given()) return State::kNotResponding;
  opening_.reset();
  watch_ = opened ? std::move(*opened) : nullptr;
  if (watch_ && !watch_->Alive()) Bury(std::move(watch_));
  return watch_ ? State::kConnected : State::kNoServer;
}

std::vector<std::string> JackSystem::PortNames() const {
  std::vector<std::string> names = watch_->MidiInputs();
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace tastiva
