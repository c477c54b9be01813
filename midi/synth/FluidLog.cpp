#include "midi/synth/FluidLog.h"

#include <fluidsynth.h>
#include <glib.h>

#include <array>
#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>

namespace tastiva {

namespace {

// One per thread capturing at once; only the owning thread writes or reads its text.
struct Slot {
  std::atomic<std::thread::id> owner{};
  std::array<char, 256> text{};
};
std::array<Slot, 16> slots;

}  // namespace

void FluidLog::Install() {
  static std::once_flag installed;
  std::call_once(installed, [] {
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
      fluid_set_log_function(level, &FluidLog::Receive, nullptr);
    }
  });
}

// On any FluidSynth thread, the audio thread too: no lock, no allocation.
void FluidLog::Receive(int level, const char* message, void*) {
  if (level > FLUID_WARN || message == nullptr) return;
  const std::thread::id self = std::this_thread::get_id();
  for (Slot& slot : slots) {
    if (slot.owner.load(std::memory_order_relaxed) != self) continue;
    std::strncpy(slot.text.data(), message, slot.text.size() - 1);
    slot.text.back() = '\0';
    return;
  }
}

FluidLog::Capture::Capture() : slot_(-1) {
  const std::thread::id self = std::this_thread::get_id();
  for (int i = 0; i < static_cast<int>(slots.size()); ++i) {
    std::thread::id free{};
    if (slots[i].owner.compare_exchange_strong(free, self, std::memory_order_acquire)) {
      slots[i].text[0] = '\0';
      slot_ = i;
      return;
    }
  }
}

FluidLog::Capture::~Capture() {
  if (slot_ >= 0) slots[slot_].owner.store(std::thread::id{}, std::memory_order_release);
}

std::string FluidLog::Capture::Text() const {
  return slot_ >= 0 ? std::string(slots[slot_].text.data()) : std::string();
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
