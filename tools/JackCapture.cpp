#include "JackCapture.h"

#include <jack/midiport.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

// JACK's ring buffer orders its reader after its writer through memory barriers of a library
// ThreadSanitizer does not see into; told so here, it checks everything else (suppressed
// instead, every period of samples copied out cost it a search that grew without end).
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* address);
extern "C" void __tsan_release(void* address);
#else
inline void __tsan_acquire(void*) {}
inline void __tsan_release(void*) {}
#endif

namespace {

// Written ahead of a record's bytes in the ring buffer.
struct Header {
  std::uint64_t time;
  std::uint64_t onset;
  float peak;
  JackCapture::Kind kind;
  std::uint32_t size;
};

constexpr std::size_t kRingBytes = 1 << 20;  // room for many periods of dense traffic

}  // namespace

JackCapture::~JackCapture() {
  Deactivate();
  if (client_) jack_client_close(client_);
  if (ring_) jack_ringbuffer_free(ring_);
}

bool JackCapture::Open(const std::string& name, const Options& options, std::string& error) {
  options_ = options;
  ring_ = jack_ringbuffer_create(kRingBytes);
  if (!ring_) {
    error = "no memory for the ring buffer";
    return false;
  }
  jack_ringbuffer_mlock(ring_);  // may be refused without privileges; the buffer works anyway
  jack_status_t status;
  // The exact name, so the caller knows the ports' full names.
  client_ = jack_client_open(
      name.c_str(), static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
  if (!client_) {
    char text[96];
    std::snprintf(text, sizeof text, "cannot open client '%s' (status 0x%x)", name.c_str(),
                  static_cast<unsigned>(status));
    error = text;
    return false;
  }
  midiIn_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  bool registered = midiIn_ != nullptr;
  if (options.audio) {
    for (int i = 0; i < 2; ++i) {
      audioIn_[i] = jack_port_register(client_, i == 0 ? "left" : "right", JACK_DEFAULT_AUDIO_TYPE,
                                       JackPortIsInput, 0);
      registered = registered && audioIn_[i];
    }
  }
  if (!registered) {
    error = "cannot register the ports";
    return false;
  }
  usecsPerFrame_ = 1e6 / jack_get_sample_rate(client_);
  jack_set_process_callback(client_, Process, this);
  jack_set_xrun_callback(
      client_,
      [](void* self) {
        static_cast<JackCapture*>(self)->xruns_.fetch_add(1, std::memory_order_relaxed);
        return 0;
      },
      this);
  jack_on_shutdown(
      client_,
      [](void* self) {
        static_cast<JackCapture*>(self)->serverGone_.store(true);
        static_cast<JackCapture*>(self)->Wake();
      },
      this);
  if (jack_activate(client_) != 0) {
    error = "cannot activate";
    return false;
  }
  active_ = true;
  return true;
}

void JackCapture::Deactivate() {
  if (active_ && !serverGone_.load()) jack_deactivate(client_);
  active_ = false;
}

int JackCapture::Process(jack_nframes_t frames, void* arg) {
  auto& self = *static_cast<JackCapture*>(arg);
  // Measured, not the server's filtered estimate of the period's start: that one drifts by
  // milliseconds after an xrun.
  const jack_time_t now = jack_get_time();
  bool wrote = false;
  if (self.options_.audio) {
    jack_nframes_t loud = frames;
    float peak = 0;
    for (jack_port_t* port : self.audioIn_) {
      const auto* samples = static_cast<const float*>(jack_port_get_buffer(port, frames));
      for (jack_nframes_t i = 0; i < frames; ++i) {
        const float magnitude = std::fabs(samples[i]);
        if (magnitude > self.options_.threshold) loud = std::min(loud, i);
        peak = std::max(peak, magnitude);
      }
    }
    const std::uint64_t onset =
        loud < frames ? now + static_cast<jack_time_t>(loud * self.usecsPerFrame_) : 0;
    // The period first, so a reader knows the period of every event that follows.
    if (self.options_.samples) {
      const auto bytes = static_cast<std::uint32_t>(frames * sizeof(float));
      wrote =
          self.Push(Kind::kPeriod, now, onset, peak, jack_port_get_buffer(self.audioIn_[0], frames),
                    bytes, jack_port_get_buffer(self.audioIn_[1], frames), bytes);
    } else {
      wrote = self.Push(Kind::kPeriod, now, onset, peak, nullptr, 0);
    }
  }

  void* buffer = jack_port_get_buffer(self.midiIn_, frames);
  const std::uint32_t count = jack_midi_get_event_count(buffer);
  for (std::uint32_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    const auto time = now + static_cast<jack_time_t>(event.time * self.usecsPerFrame_);
    wrote |=
        self.Push(Kind::kMidi, time, 0, 0, event.buffer, static_cast<std::uint32_t>(event.size));
  }
  if (wrote) self.Wake();
  return 0;
}

bool JackCapture::Push(Kind kind, std::uint64_t time, std::uint64_t onset, float peak,
                       const void* bytes, std::uint32_t size, const void* more,
                       std::uint32_t moreSize) {
  // Whole records only: a partial one would throw the reader out of step.
  const Header header{time, onset, peak, kind, size + moreSize};
  if (jack_ringbuffer_write_space(ring_) < sizeof header + size + moreSize) {
    dropped_.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  jack_ringbuffer_write(ring_, reinterpret_cast<const char*>(&header), sizeof header);
  if (size > 0) jack_ringbuffer_write(ring_, static_cast<const char*>(bytes), size);
  if (moreSize > 0) jack_ringbuffer_write(ring_, static_cast<const char*>(more), moreSize);
  __tsan_release(ring_);
  return true;
}

// Non-blocking and async-signal-safe; a full pipe already means "wake up".
void JackCapture::Wake() const {
  if (options_.wakeFd < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(options_.wakeFd, &byte, 1);
}

bool JackCapture::Next(Record& record) {
  Header header;
  if (jack_ringbuffer_read_space(ring_) < sizeof header) return false;
  __tsan_acquire(ring_);
  jack_ringbuffer_peek(ring_, reinterpret_cast<char*>(&header), sizeof header);
  // The writer publishes the bytes after the header; they come on the next call.
  if (jack_ringbuffer_read_space(ring_) < sizeof header + header.size) return false;
  jack_ringbuffer_read_advance(ring_, sizeof header);
  record.kind = header.kind;
  record.time = header.time;
  record.onset = header.onset;
  record.peak = header.peak;
  record.bytes.resize(header.size);
  if (header.size > 0) jack_ringbuffer_read(ring_, record.bytes.data(), header.size);
  return true;
}

void JackCapture::Drain() {
  Record record;
  while (Next(record)) {
  }
}

std::string Hex(const std::string& bytes) {
  std::string text;
  char hex[4];
  for (const char c : bytes) {
    std::snprintf(hex, sizeof hex, text.empty() ? "%02x" : " %02x", static_cast<unsigned char>(c));
    text += hex;
  }
  return text;
}
