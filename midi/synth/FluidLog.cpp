#include "midi/synth/FluidLog.h"

#include <fluidsynth.h>

namespace tastiva {

FluidLog& FluidLog::Instance() {
  static FluidLog log;
  return log;
}

void FluidLog::Install() {
  std::call_once(installed_, [this] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, &FluidLog::Receive, this);
    }
  });
}

void FluidLog::Clear() {
  std::lock_guard lock(mutex_);
  last_.clear();
}

std::string FluidLog::Last() {
  std::lock_guard lock(mutex_);
  return last_;
}

void FluidLog::Receive(int level, const char* message, void* data) {
  if (level > FLUID_WARN || message == nullptr) return;
  auto* self = static_cast<FluidLog*>(data);
  try {
    std::lock_guard lock(self->mutex_);
    self->last_ = message;
  } catch (...) {
    // Called from FluidSynth's C code, possibly on the audio thread: nothing may escape.
  }
}

}  // namespace tastiva
