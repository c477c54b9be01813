// The built-in synthesizer as a module of its own (libtastiva-synth), loaded by the program
// once its window shows.
#include "midi/synth/BuiltinSynth.h"

extern "C" __attribute__((visibility("default"))) tastiva::MidiDevice* TastivaCreateBuiltinSynth() {
  try {
    return new tastiva::BuiltinSynth();
  } catch (...) {
    return nullptr;
  }
}
