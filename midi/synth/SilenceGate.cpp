#include "midi/synth/SilenceGate.h"

#include <cmath>

#if defined(__linux__)
#include <sys/eventfd.h>
#include <unistd.h>
#endif

namespace tastiva {

namespace {

constexpr int kSustain = 64;
constexpr int kSostenuto = 66;
constexpr int kAllSoundOff = 120;
constexpr int kResetControllers = 121;
constexpr int kAllNotesOff = 123;

}  // namespace

SilenceGate::SilenceGate(double sampleRate, double tailSeconds)
    : tailFrames_(static_cast<std::int64_t>(std::ceil(sampleRate * tailSeconds))) {}

SilenceGate::~SilenceGate() {
#if defined(__linux__)
  if (const int fd = wakeFd_.load(); fd >= 0) ::close(fd);
#endif
}

void SilenceGate::Dispatching(const ShortMessageBytes& m) {
  Track(m);
  Wake();
}

void SilenceGate::Silencing() {
  keys_.reset();
  pedals_.reset();
  held_.store(false, std::memory_order_relaxed);
  Wake();
}

void SilenceGate::Wake() {
  wakes_.fetch_add(1);
  if (!parked_.load()) return;
#if defined(__linux__)
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(wakeFd_.load(), &one, sizeof one);
#endif
}

// Keys held and pedals down as FluidSynth keeps voices for them: a held note may fade below
// the floor (or a volume of 0 silence it) and still sound again.
void SilenceGate::Track(const ShortMessageBytes& m) {
  const std::uint8_t status = m.bytes[0];
  const std::size_t channel = status & 0x0F;
  const std::size_t key = channel * 128 + (m.bytes[1] & 0x7F);
  const int value = m.bytes[2] & 0x7F;
  switch (status & 0xF0) {
    case 0x90:
      keys_.set(key, value != 0);
      break;
    case 0x80:
      keys_.reset(key);
      break;
    case 0xB0:
      switch (m.bytes[1]) {
        case kSustain:
        case kSostenuto:
          pedals_.set(channel * 2 + (m.bytes[1] == kSostenuto), value >= 64);
          break;
        case kResetControllers:
          pedals_.reset(channel * 2).reset(channel * 2 + 1);
          break;
        case kAllSoundOff:
        case kAllNotesOff:
          for (std::size_t k = channel * 128; k < channel * 128 + 128; ++k) keys_.reset(k);
          break;
        default:
          break;
      }
      break;
    default:
      if (status == 0xFF) {  // a reset
        keys_.reset();
        pedals_.reset();
      }
      break;
  }
  held_.store(keys_.any() || pedals_.any(), std::memory_order_relaxed);
}

bool SilenceGate::Asleep() {
  const std::uint32_t wakes = wakes_.load(std::memory_order_acquire);
  if (wakes != seen_.load(std::memory_order_relaxed)) {
    seen_.store(wakes, std::memory_order_relaxed);
    quiet_.store(0, std::memory_order_relaxed);
    asleep_.store(false, std::memory_order_relaxed);
  }
  return asleep_.load(std::memory_order_relaxed);
}

void SilenceGate::Rendered(float peak, int frames) {
  if (peak >= kFloor || Held()) {
    quiet_.store(0, std::memory_order_relaxed);
    return;
  }
  const std::int64_t quiet = quiet_.load(std::memory_order_relaxed) + frames;
  quiet_.store(quiet, std::memory_order_relaxed);
  if (quiet >= tailFrames_) asleep_.store(true, std::memory_order_relaxed);
}

bool SilenceGate::Park() {
  if (WakeFd() < 0) return false;
  // Either this sees the message's wake, or the message's Wake sees the park and writes.
  parked_.store(true);
  if (wakes_.load() == seen_.load(std::memory_order_relaxed)) return true;
  parked_.store(false);
  return false;
}

void SilenceGate::Unpark() {
#if defined(__linux__)
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t read = ::read(wakeFd_.load(), &count, sizeof count);
#endif
  parked_.store(false);
}

int SilenceGate::WakeFd() {
#if defined(__linux__)
  std::call_once(fdMade_, [this] { wakeFd_.store(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)); });
#endif
  return wakeFd_.load();
}

}  // namespace tastiva
