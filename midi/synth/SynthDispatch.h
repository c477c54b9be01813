#pragma once

#include <fluidsynth.h>

#include "midi/MidiPlatform.h"
#include "midi/ShortMessage.h"

namespace tastiva {

// Plays one short message on the synthesizer: MMSYSERR_NOERROR, or MMSYSERR_INVALPARAM when
// FluidSynth refused it (its log says why).
MidiResult DispatchToSynth(fluid_synth_t* synth, const ShortMessageBytes& message);

}  // namespace tastiva
