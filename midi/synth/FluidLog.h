#pragma once

#include <string>

namespace tastiva {

// FluidSynth logs through one process-wide hook, from any of its threads, the audio thread
// included. Nothing reaches stderr. A thread that makes a FluidSynth call whose refusal it must
// explain holds a Capture meanwhile: what FluidSynth logs on that thread then is kept in it.
// The hook takes no lock and allocates nothing; what other threads log is dropped.
class FluidLog {
 public:
  // Takes over FluidSynth's log hook; the first call does it, later ones nothing.
  static void Install();

  class Capture {
   public:
    Capture();
    ~Capture();
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;

    // The last problem FluidSynth logged on this thread since the capture began; empty if
    // none (or if more threads capture at once than there is room for).
    std::string Text() const;

   private:
    int slot_;
  };

  // While one lives, GLib messages without a domain are dropped: libinstpatch, FluidSynth's
  // DLS loader, prints such criticals when it is handed a SoundFont it cannot parse.
  class GLibQuiet {
   public:
    GLibQuiet();
    ~GLibQuiet();
    GLibQuiet(const GLibQuiet&) = delete;
    GLibQuiet& operator=(const GLibQuiet&) = delete;

   private:
    unsigned handler_;
  };

 private:
  static void Receive(int level, const char* message, void* data);
};

}  // namespace tastiva
