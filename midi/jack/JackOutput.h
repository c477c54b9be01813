#pragma once

#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "midi/jack/RerunMemory.h"

namespace tastiva {

// A JACK client of our own with one MIDI output port "out" connected to one destination.
// Messages reach the process callback through a lock-free ring buffer; a write never waits:
// with the graph stalled or the buffer full it is refused at once. The callback never drops
// a message: what does not fit into a period's MIDI buffer goes out in the next periods.
class JackOutput {
 public:
  enum class Write { kQueued, kNotMoving, kServerGone };

  // Waits for the server: the JACK worker's thread only. Null if the client, its port or the
  // connection could not be made.
  static std::shared_ptr<JackOutput> Open(const std::string& clientName,
                                          const std::string& destination);
  // Closes the client, which waits for the server: the JACK worker's thread only; never after
  // the server went away (see Bury).
  ~JackOutput();
  JackOutput(const JackOutput&) = delete;
  JackOutput& operator=(const JackOutput&) = delete;

  // One short message of 1 to 3 bytes. The UI thread only: the ring has one writer.
  Write Send(const std::uint8_t* bytes, std::size_t size);
  bool ServerGone() const { return serverGone_.load(std::memory_order_acquire); }
  // Whether the process callback ran lately.
  bool Moving() const;
  // Waits until the queued messages left: for a bounded time while the graph moves, for as long
  // as it stands still, not once the server went away. The JACK worker's thread.
  void Drain() const;

 private:
  JackOutput() = default;
  static int OnProcess(jack_nframes_t frames, void* self);
  static int OnBufferSize(jack_nframes_t frames, void* self);
  static void OnShutdown(void* self);
  void SetPeriod(jack_nframes_t frames);
  static std::int64_t Now();

  jack_client_t* client_ = nullptr;
  jack_port_t* port_ = nullptr;
  jack_ringbuffer_t* ring_ = nullptr;
  std::atomic<std::int64_t> lastCycle_{0};   // steady-clock nanoseconds
  std::atomic<std::int64_t> lateLimit_{0};   // nanoseconds between periods that mean a stall
  std::atomic<std::int64_t> stallLimit_{0};  // nanoseconds without a cycle that mean a stall
  std::atomic<bool> serverGone_{false};
  // Set once the object is whole, before JACK's threads may call it: they see it through this
  // flag, not only through JACK's own synchronisation.
  std::atomic<bool> published_{false};
  jack_nframes_t sampleRate_ = 48000;
  RerunMemory rerun_;  // JACK's real-time thread only
};

}  // namespace tastiva
