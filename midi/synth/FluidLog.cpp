#include "midi/synth/FluidLog.h"

#include <fluidsynth.h>
#include <glib.h>

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

FluidLog::GLibQuiet::GLibQuiet()
    : handler_(g_log_set_handler(
          nullptr,
          static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                      G_LOG_LEVEL_MESSAGE | G_LOG_FLAG_RECURSION),
          [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr)) {}

FluidLog::GLibQuiet::~GLibQuiet() {
  g_log_remove_handler(nullptr, handler_);
}

}  // namespace tastiva
