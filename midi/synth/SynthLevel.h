#pragma once

#include <fluidsynth.h>

namespace tastiva {

// Sets the synthesizer's gain so that middle C on the piano at full velocity peaks at about
// -9 dBFS, as loud as hardware synthesizers play it with room left for chords (PeakLimiter
// keeps those below full scale). General MIDI SoundFonts differ too much for one fixed gain:
// at FluidSynth's default of 0.2 that note peaks at -27.6 dBFS with TimGM6mb, -22.7 with
// FluidR3 and -26.3 with MuseScore General. So the note is rendered once, dry, and the gain
// follows from its peak (linear in the gain); a table of known SoundFonts would miss the rest.
//
// Renders on synth: only while nothing else does (no audio driver plays it), right after its
// SoundFont is read. Costs 1-9 ms with an .sf2, less than the audio system takes to join. With
// an .sf3 it decodes the piano's samples first (a second or more), which the program's first
// instrument, the piano, would wait for anyway: they stay, the piano chosen on channel 0.
// Leaves synth silent, and its gain as it was if the SoundFont has no piano.
void SetLevel(fluid_synth_t* synth);

}  // namespace tastiva
