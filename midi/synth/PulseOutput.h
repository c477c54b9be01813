#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

struct pa_context;
struct pa_io_event;
struct pa_stream;
struct pa_threaded_mainloop;
struct pa_time_event;

namespace tastiva {

// A playback stream of PulseAudio (or of PipeWire's PulseAudio service) fed by a callback on
// libpulse's own thread, which pauses (corks) the stream while the callback has nothing to
// play and plays again once a file descriptor turns readable: an idle stream wakes nobody.
// FluidSynth's own PulseAudio driver writes silence through a blocking call instead, waking
// two threads about 700 times a second each.
class PulseOutput {
 public:
  // Fills frames of the left and right channels, zeroed before; false when there is nothing
  // to play until the wake descriptor turns readable: the stream then pauses.
  using Fill = bool (*)(void* data, int frames, float* left, float* right);
  // Once the wake descriptor turned readable: clears it; true to play again.
  using Resume = bool (*)(void* data);

  struct Options {
    std::string client;  // the client's name; PULSE_PROP_OVERRIDE may give another
    std::string stream;
    int rate = 48000;
    int periodFrames = 512;                   // the server asks for this much at a time
    int periods = 2;                          // of them buffered
    std::chrono::milliseconds timeout{5000};  // for the server's answers while opening
  };

  // Connects and starts the stream; null if there is no server or it did not answer in time.
  // wakeFd stays open as long as the output.
  static std::unique_ptr<PulseOutput> Open(const Options& options, Fill fill, Resume resume,
                                           void* data, int wakeFd);
  ~PulseOutput();
  PulseOutput(const PulseOutput&) = delete;
  PulseOutput& operator=(const PulseOutput&) = delete;

  // The server went away, or has not asked for sound for limit while the stream plays.
  bool Stalled(std::chrono::steady_clock::duration limit) const;
  bool Paused() const { return corked_.load(); }

 private:
  static constexpr int kChunk = 1024;  // frames filled at a time

  PulseOutput(Fill fill, Resume resume, void* data);
  bool Connect(const Options& options, int wakeFd);
  template <typename Done>
  bool Await(Done done, std::chrono::milliseconds timeout);
  void Pause();
  void Play();

  static void OnContext(pa_context* context, void* self);
  static void OnStream(pa_stream* stream, void* self);
  static void OnWrite(pa_stream* stream, std::size_t bytes, void* self);

  const Fill fill_;
  const Resume resume_;
  void* const data_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  pa_io_event* wake_ = nullptr;
  std::atomic<bool> dead_{false};
  std::atomic<bool> corked_{false};
  std::atomic<std::int64_t> lastAsked_;  // steady clock
  // libpulse's thread only.
  std::array<float, kChunk> left_{};
  std::array<float, kChunk> right_{};
};

}  // namespace tastiva
