// A JACK client that captures what reaches its inputs, for the receiver and the latency probe:
// a MIDI input "in" and, if asked, audio inputs "left"/"right". The process callback stamps
// each MIDI event (and, with audio, each period with its onset and peak) on the JACK clock and
// passes it through a lock-free ring buffer to the thread that reads.
#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstdint>
#include <string>

class JackCapture {
 public:
  enum class Kind : std::uint32_t { kPeriod, kMidi };

  struct Record {
    Kind kind = Kind::kPeriod;
    // Microseconds of jack_get_time(): when the process callback began in the period, plus
    // the event's frame offset for MIDI.
    std::uint64_t time = 0;
    std::uint64_t onset = 0;  // periods: time of the first sample above the threshold; 0 if none
    float peak = 0;           // periods: the largest magnitude of a sample on either input
    std::string bytes;        // MIDI events; periods, with samples: the left's floats, the right's
  };

  struct Options {
    bool audio = false;        // audio inputs, and a record of every period
    float threshold = 0.001F;  // for the onsets
    int wakeFd = -1;           // gets a byte whenever records were added
    bool samples = false;      // periods carry their samples (read them often: 1 MB holds 2 s)
  };

  JackCapture() = default;
  JackCapture(const JackCapture&) = delete;
  JackCapture& operator=(const JackCapture&) = delete;
  ~JackCapture();

  // Opens the client under exactly this name on the environment's server and activates it;
  // false, with the reason in error, if it cannot.
  bool Open(const std::string& name, const Options& options, std::string& error);
  // Stops the callbacks; what was captured can still be read.
  void Deactivate();

  bool Next(Record& record);
  void Drain();

  jack_client_t* client() const { return client_; }
  std::uint64_t xruns() const { return xruns_.load(); }
  std::uint64_t dropped() const { return dropped_.load(); }
  bool serverGone() const { return serverGone_.load(); }

 private:
  static int Process(jack_nframes_t frames, void* self);
  bool Push(Kind kind, std::uint64_t time, std::uint64_t onset, float peak, const void* bytes,
            std::uint32_t size, const void* more = nullptr, std::uint32_t moreSize = 0);
  void Wake() const;

  Options options_;
  jack_client_t* client_ = nullptr;
  jack_port_t* midiIn_ = nullptr;
  jack_port_t* audioIn_[2] = {};
  jack_ringbuffer_t* ring_ = nullptr;
  double usecsPerFrame_ = 0;
  bool active_ = false;
  std::atomic<std::uint64_t> xruns_{0};
  std::atomic<std::uint64_t> dropped_{0};
  std::atomic<bool> serverGone_{false};
};

// "90 3c 7f": the bytes in lowercase hex.
std::string Hex(const std::string& bytes);
