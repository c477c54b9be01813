#pragma once

#include <mutex>
#include <string>

namespace tastiva {

// FluidSynth logs through one process-wide hook. Its messages stay off stderr; the last
// problem is kept so a refusal can say what FluidSynth objected to.
class FluidLog {
 public:
  static FluidLog& Instance();

  // Takes over FluidSynth's log hook; the first call does it, later ones nothing.
  void Install();
  void Clear();
  std::string Last();

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
  FluidLog() = default;
  static void Receive(int level, const char* message, void* data);

  std::once_flag installed_;
  std::mutex mutex_;
  std::string last_;
};

}  // namespace tastiva
