#include "midi/ports/SystemConnection.h"

#include <utility>

#include "midi/ports/Bury.h"

namespace tastiva {

SystemConnection::SystemConnection(RtMidi::Api api, PortSystem kind, const char* label,
                                   std::string clientName)
    : api_(api), kind_(kind), label_(label), clientName_(std::move(clientName)) {}

SystemConnection::~SystemConnection() {
  if (watch_ && !watch_->Alive()) BuryConnection();
}

bool SystemConnection::Connect() {
  if (watch_ && !watch_->Alive()) BuryConnection();
  if (lister_) return true;
#if defined(__linux__)
  if (kind_ == PortSystem::kJack) {
    watch_ = JackWatch::Open(clientName_ + "-watch");
    if (!watch_) return false;
  }
#endif
  lister_ = RtOutput::Create(api_, clientName_);
  if (!lister_) watch_.reset();
  return lister_ != nullptr;
}

std::shared_ptr<RtOutput> SystemConnection::Acquire() {
  if (!Connect()) return nullptr;
  if (!listerLent_) {
    listerLent_ = true;
    return lister_;
  }
  return RtOutput::Create(api_, clientName_);
}

void SystemConnection::Release(const std::shared_ptr<RtOutput>& output) {
  if (output == lister_) listerLent_ = false;
}

void SystemConnection::BuryConnection() {
  Bury(std::move(watch_));
  Bury(std::move(lister_));
  listerLent_ = false;
}

}  // namespace tastiva
