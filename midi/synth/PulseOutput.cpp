#include "midi/synth/PulseOutput.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <climits>

namespace tastiva {

namespace {

constexpr std::size_t kFrameBytes = 2 * sizeof(float);

std::int64_t Now() {
  return std::chrono::steady_clock::now().time_since_epoch().count();
}

void Unref(pa_operation* operation) {
  if (operation != nullptr) pa_operation_unref(operation);
}

class Locked {
 public:
  explicit Locked(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
  ~Locked() { pa_threaded_mainloop_unlock(loop_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};

}  // namespace

PulseOutput::PulseOutput(Fill fill, Resume resume, void* data)
    : fill_(fill), resume_(resume), data_(data), lastAsked_(Now()) {}

std::unique_ptr<PulseOutput> PulseOutput::Open(const Options& options, Fill fill, Resume resume,
                                               void* data, int wakeFd) {
  std::unique_ptr<PulseOutput> output(new PulseOutput(fill, resume, data));
  if (wakeFd < 0 || !output->Connect(options, wakeFd)) return nullptr;
  return output;
}

PulseOutput::~PulseOutput() {
  if (loop_ == nullptr) return;
  {
    const Locked locked(loop_);
    if (wake_ != nullptr) pa_threaded_mainloop_get_api(loop_)->io_free(wake_);
    if (stream_ != nullptr) {
      pa_stream_set_write_callback(stream_, nullptr, nullptr);
      pa_stream_set_state_callback(stream_, nullptr, nullptr);
      pa_stream_disconnect(stream_);
      pa_stream_unref(stream_);
    }
    if (context_ != nullptr) {
      pa_context_set_state_callback(context_, nullptr, nullptr);
      pa_context_disconnect(context_);
      pa_context_unref(context_);
    }
  }
  pa_threaded_mainloop_stop(loop_);
  pa_threaded_mainloop_free(loop_);
}

bool PulseOutput::Connect(const Options& options, int wakeFd) {
  loop_ = pa_threaded_mainloop_new();
  if (loop_ == nullptr) return false;
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  context_ = pa_context_new(api, options.client.c_str());
  if (context_ == nullptr) return false;
  pa_context_set_state_callback(context_, &OnContext, this);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
      pa_threaded_mainloop_start(loop_) < 0) {
    return false;
  }
  const Locked locked(loop_);
  const auto settled = [this] {
    const pa_context_state_t state = pa_context_get_state(context_);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
  };
  if (!Await(settled, options.timeout) || pa_context_get_state(context_) != PA_CONTEXT_READY) {
    return false;
  }
  const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, static_cast<std::uint32_t>(options.rate), 2};
  stream_ = pa_stream_new(context_, options.stream.c_str(), &spec, nullptr);
  if (stream_ == nullptr) return false;
  pa_stream_set_state_callback(stream_, &OnStream, this);
  pa_stream_set_write_callback(stream_, &OnWrite, this);
  pa_buffer_attr buffer{};
  buffer.maxlength = UINT32_MAX;
  buffer.tlength = static_cast<std::uint32_t>(options.periodFrames * options.periods * kFrameBytes);
  buffer.prebuf = UINT32_MAX;
  buffer.minreq = static_cast<std::uint32_t>(options.periodFrames * kFrameBytes);
  buffer.fragsize = UINT32_MAX;
  if (pa_stream_connect_playback(stream_, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                 nullptr) < 0) {
    return false;
  }
  const auto ready = [this] {
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
  };
  if (!Await(ready, options.timeout) || pa_stream_get_state(stream_) != PA_STREAM_READY) {
    return false;
  }
  const auto woken = [](pa_mainloop_api*, pa_io_event*, int, pa_io_event_flags_t, void* self) {
    auto& output = *static_cast<PulseOutput*>(self);
    if (output.resume_(output.data_)) output.Play();
  };
  wake_ = api->io_new(api, wakeFd, PA_IO_EVENT_INPUT, woken, this);
  return wake_ != nullptr;
}

// With the loop locked: waits for its callbacks until done() holds, timeout at most.
template <typename Done>
bool PulseOutput::Await(Done done, std::chrono::milliseconds timeout) {
  struct Timer {
    pa_threaded_mainloop* loop;
    bool fired = false;
  } timer{loop_};
  timeval due{};
  pa_timeval_add(pa_gettimeofday(&due), static_cast<pa_usec_t>(timeout.count()) * 1000);
  const auto fire = [](pa_mainloop_api*, pa_time_event*, const timeval*, void* t) {
    auto* timer = static_cast<Timer*>(t);
    timer->fired = true;
    pa_threaded_mainloop_signal(timer->loop, 0);
  };
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
  pa_time_event* event = api->time_new(api, &due, fire, &timer);
  while (!done() && !timer.fired && event != nullptr) pa_threaded_mainloop_wait(loop_);
  if (event != nullptr) api->time_free(event);
  return done();
}

void PulseOutput::OnContext(pa_context* context, void* self) {
  auto& output = *static_cast<PulseOutput*>(self);
  if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) output.dead_ = true;
  pa_threaded_mainloop_signal(output.loop_, 0);
}

void PulseOutput::OnStream(pa_stream* stream, void* self) {
  auto& output = *static_cast<PulseOutput*>(self);
  if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) output.dead_ = true;
  pa_threaded_mainloop_signal(output.loop_, 0);
}

// libpulse's thread: the server asks for bytes more.
void PulseOutput::OnWrite(pa_stream* stream, std::size_t bytes, void* self) {
  auto& output = *static_cast<PulseOutput*>(self);
  output.lastAsked_.store(Now());
  while (bytes >= kFrameBytes) {
    void* buffer = nullptr;
    std::size_t size = std::min(bytes, kChunk * kFrameBytes);
    if (pa_stream_begin_write(stream, &buffer, &size) < 0 || buffer == nullptr) return;
    const std::size_t frames = std::min({size, bytes, kChunk * kFrameBytes}) / kFrameBytes;
    std::fill_n(output.left_.begin(), frames, 0.0F);
    std::fill_n(output.right_.begin(), frames, 0.0F);
    if (frames == 0 || !output.fill_(output.data_, static_cast<int>(frames), output.left_.data(),
                                     output.right_.data())) {
      pa_stream_cancel_write(stream);
      if (frames != 0) output.Pause();
      return;
    }
    auto* samples = static_cast<float*>(buffer);
    for (std::size_t i = 0; i < frames; ++i) {
      samples[2 * i] = output.left_[i];
      samples[2 * i + 1] = output.right_[i];
    }
    pa_stream_write(stream, buffer, frames * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE);
    bytes -= frames * kFrameBytes;
  }
}

void PulseOutput::Pause() {
  if (corked_.exchange(true)) return;
  Unref(pa_stream_cork(stream_, 1, nullptr, nullptr));
}

void PulseOutput::Play() {
  if (!corked_.load()) return;
  // The server's silence since the pause is no stall: the clock starts now.
  lastAsked_.store(Now());
  corked_.store(false);
  Unref(pa_stream_cork(stream_, 0, nullptr, nullptr));
}

bool PulseOutput::Stalled(std::chrono::steady_clock::duration limit) const {
  if (dead_.load()) return true;
  return !corked_.load() && std::chrono::steady_clock::duration(Now() - lastAsked_.load()) > limit;
}

}  // namespace tastiva
