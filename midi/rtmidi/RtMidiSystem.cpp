#include "midi/rtmidi/RtMidiSystem.h"

#include <utility>

namespace tastiva {

RtMidiSystem::RtMidiSystem(RtMidi::Api api, const char* label, std::string clientName)
    : api_(api), label_(label), clientName_(std::move(clientName)) {}

bool RtMidiSystem::Connect() {
  if (!lister_) lister_ = RtOutput::Create(api_, clientName_);
  return lister_ != nullptr;
}

std::shared_ptr<RtOutput> RtMidiSystem::Acquire() {
  if (!Connect()) return nullptr;
  if (!listerLent_) {
    listerLent_ = true;
    return lister_;
  }
  return RtOutput::Create(api_, clientName_);
}

void RtMidiSystem::Release(const std::shared_ptr<RtOutput>& output) {
  if (output == lister_) listerLent_ = false;
}

}  // namespace tastiva
