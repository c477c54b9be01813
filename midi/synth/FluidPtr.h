#pragma once

#include <fluidsynth.h>

#include <memory>

namespace tastiva {

// FluidSynth objects owned the C++ way; each goes with its delete_fluid_* function.
template <auto Delete>
struct FluidDeleter {
  template <typename T>
  void operator()(T* object) const {
    Delete(object);
  }
};

using FluidDriverPtr =
    std::unique_ptr<fluid_audio_driver_t, FluidDeleter<&delete_fluid_audio_driver>>;

// Settings and synthesizer as handles shared with whatever may outlive their first owner (a
// load on the synthesizer's worker, an audio driver being made): the last one deletes. A
// synthesizer's handle keeps its settings, which it refers to, alive.
using FluidSettingsHandle = std::shared_ptr<fluid_settings_t>;
using FluidSynthHandle = std::shared_ptr<fluid_synth_t>;

// Null when FluidSynth could not make them.
inline FluidSettingsHandle NewFluidSettings() {
  fluid_settings_t* settings = new_fluid_settings();
  if (settings == nullptr) return nullptr;
  return FluidSettingsHandle(settings, FluidDeleter<&delete_fluid_settings>{});
}
inline FluidSynthHandle NewFluidSynth(const FluidSettingsHandle& settings) {
  fluid_synth_t* synth = new_fluid_synth(settings.get());
  if (synth == nullptr) return nullptr;
  return FluidSynthHandle(synth, [settings](fluid_synth_t* s) { delete_fluid_synth(s); });
}

}  // namespace tastiva
