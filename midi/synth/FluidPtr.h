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

using FluidSettingsPtr = std::unique_ptr<fluid_settings_t, FluidDeleter<&delete_fluid_settings>>;
using FluidSynthPtr = std::unique_ptr<fluid_synth_t, FluidDeleter<&delete_fluid_synth>>;
using FluidDriverPtr =
    std::unique_ptr<fluid_audio_driver_t, FluidDeleter<&delete_fluid_audio_driver>>;

}  // namespace tastiva
