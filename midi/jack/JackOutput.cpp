#include "midi/jack/JackOutput.h"

#include <jack/midiport.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace tastiva {

namespace {

using namespace std::chrono_literals;

// Room for 1,023 messages: far more than a moving graph ever holds back.
constexpr std::size_t kRingBytes = 4096;
// No cycle for this long, or for this many periods if longer, is a stalled graph: a late cycle
// under load stays well within it, and notes accepted meanwhile are only that late.
constexpr std::chrono::nanoseconds kStallTime = 150ms;
constexpr std::int64_t kStallPeriods = 4;
// A period that starts this much, or two periods if longer, after the one before follows a
// stall; a late one under load stays well within it.
constexpr std::chrono::nanoseconds kLateTime = 20ms;
constexpr std::int64_t kLatePeriods = 2;
constexpr std::chrono::milliseconds kDrainTime = 200ms;
constexpr std::chrono::milliseconds kDrainStep = 5ms;

}  // namespace

std::shared_ptr<JackOutput> JackOutput::Open(const std::string& clientName,
                                             const std::string& destination) {
  std::shared_ptr<JackOutput> out(new JackOutput);
  out->client_ = jack_client_open(clientName.c_str(), JackNoStartServer, nullptr);
  if (out->client_ == nullptr) return nullptr;
  out->ring_ = jack_ringbuffer_create(kRingBytes);
  out->port_ = jack_port_register(out->client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  if (out->ring_ == nullptr || out->port_ == nullptr) return nullptr;
  jack_ringbuffer_mlock(out->ring_);
  out->sampleRate_ = std::max<jack_nframes_t>(jack_get_sample_rate(out->client_), 1);
  out->SetPeriod(jack_get_buffer_size(out->client_));
  out->lastCycle_.store(Now());
  jack_set_process_callback(out->client_, &JackOutput::OnProcess, out.get());
  jack_set_buffer_size_callback(out->client_, &JackOutput::OnBufferSize, out.get());
  jack_on_shutdown(out->client_, &JackOutput::OnShutdown, out.get());
  out->published_.store(true, std::memory_order_release);
  if (jack_activate(out->client_) != 0) return nullptr;
  const int connected = jack_connect(out->client_, jack_port_name(out->port_), destination.c_str());
  if (connected != 0 && connected != EEXIST) return nullptr;
  return out;
}

JackOutput::~JackOutput() {
  if (client_ != nullptr) jack_client_close(client_);
  if (ring_ != nullptr) jack_ringbuffer_free(ring_);
}

JackOutput::Write JackOutput::Send(const std::uint8_t* bytes, std::size_t size) {
  if (ServerGone()) return Write::kServerGone;
  if (!Moving() || jack_ringbuffer_write_space(ring_) < sizeof(ShortRecord))
    return Write::kNotMoving;
  ShortRecord record{static_cast<std::uint8_t>(std::min(size, sizeof record.bytes)), {}};
  std::memcpy(record.bytes, bytes, record.size);
  jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&record), sizeof record);
  return Write::kQueued;
}

bool JackOutput::Moving() const {
  const std::int64_t quiet = Now() - lastCycle_.load(std::memory_order_acquire);
  return quiet <= stallLimit_.load(std::memory_order_relaxed);
}

void JackOutput::Drain() const {
  // Time counts only while the graph moves: a stalled one delivers once it moves again.
  auto movingFor = std::chrono::milliseconds{0};
  while (jack_ringbuffer_read_space(ring_) > 0 && !ServerGone() && movingFor < kDrainTime) {
    std::this_thread::sleep_for(kDrainStep);
    if (Moving()) movingFor += kDrainStep;
  }
}

// JACK's real-time thread: no locks, no allocation.
int JackOutput::OnProcess(jack_nframes_t frames, void* self) {
  auto* out = static_cast<JackOutput*>(self);
  if (!out->published_.load(std::memory_order_acquire)) return 0;
  void* buffer = jack_port_get_buffer(out->port_, frames);
  jack_midi_clear_buffer(buffer);
  // All at the period's start, in order: the soonest they can sound.
  const auto write = [&](const ShortRecord& record) {
    jack_midi_data_t* data = jack_midi_event_reserve(buffer, 0, record.size);
    if (data == nullptr) return false;
    std::memcpy(data, record.bytes, record.size);
    out->rerun_.Wrote(record);
    return true;
  };
  out->rerun_.Start(jack_last_frame_time(out->client_), write);

  const std::int64_t now = Now();
  const std::int64_t gap = now - out->lastCycle_.load(std::memory_order_relaxed);
  out->lastCycle_.store(now, std::memory_order_release);
  // Nor may it hand on what is written in the first period after a stall, or before the
  // connection is part of the graph this period runs (a slow machine may run one in between):
  // what waits goes out in a later period.
  if (gap > out->lateLimit_.load(std::memory_order_relaxed)) return 0;
  if (jack_port_connected(out->port_) == 0) return 0;
  ShortRecord record;
  while (jack_ringbuffer_peek(out->ring_, reinterpret_cast<char*>(&record), sizeof record) ==
         sizeof record) {
    if (!write(record)) break;  // this period's buffer is full: the rest waits in the ring
    jack_ringbuffer_read_advance(out->ring_, sizeof record);
  }
  return 0;
}

int JackOutput::OnBufferSize(jack_nframes_t frames, void* self) {
  auto* out = static_cast<JackOutput*>(self);
  if (out->published_.load(std::memory_order_acquire)) out->SetPeriod(frames);
  return 0;
}

void JackOutput::SetPeriod(jack_nframes_t frames) {
  const std::int64_t period = std::int64_t{frames} * 1'000'000'000 / sampleRate_;
  lateLimit_.store(std::max<std::int64_t>(kLateTime.count(), kLatePeriods * period),
                   std::memory_order_relaxed);
  stallLimit_.store(std::max<std::int64_t>(kStallTime.count(), kStallPeriods * period),
                    std::memory_order_relaxed);
}

void JackOutput::OnShutdown(void* self) {
  auto* out = static_cast<JackOutput*>(self);
  if (out->published_.load(std::memory_order_acquire)) {
    out->serverGone_.store(true, std::memory_order_release);
  }
}

std::int64_t JackOutput::Now() {
  return std::chrono::steady_clock::now().time_since_epoch().count();
}

}  // namespace tastiva
