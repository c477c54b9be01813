#include "midi/ports/SystemConnection.h"

#include <utility>

namespace tastiva {

SystemConnection::SystemConnection(RtMidi::Api api, PortSystem kind, const char* label,
                                   std::string clientName)
    : api_(api), kind_(kind), label_(label), clientName_(std::move(clientName)) {}

bool SystemConnection::Connect() {
  if (!lister_) lister_ = RtOutput::Create(api_, clientName_);
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

}  // namespace tastiva
