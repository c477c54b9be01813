#include "midi/synth/SynthDispatch.h"

#include "midi/MidiResults.h"

namespace tastiva {

namespace {

// Resets every channel and silences every voice at once; FLUID_OK or FLUID_FAILED.
int ResetSynth(fluid_synth_t* synth) {
  // FluidSynth's system reset lets the voices ring out through their release; a reset is meant
  // to stop them. In the other order the reset would release them again.
  const int result = fluid_synth_system_reset(synth);
  fluid_synth_all_sounds_off(synth, -1);
  return result;
}

}  // namespace

MidiResult DispatchToSynth(fluid_synth_t* synth, const ShortMessageBytes& m) {
  const std::uint8_t status = m.bytes[0];
  // Data bytes above 127 would be out of range for FluidSynth; keep the low seven bits.
  const int data1 = m.bytes[1] & 0x7F;
  const int data2 = m.bytes[2] & 0x7F;
  const int channel = status & 0x0F;
  int result = FLUID_OK;
  switch (status & 0xF0) {
    case 0x80:
      // Fails when nothing sounds on that key any more, which is no fault of the caller.
      fluid_synth_noteoff(synth, channel, data1);
      break;
    case 0x90:
      if (data2 == 0) {
        fluid_synth_noteoff(synth, channel, data1);
      } else {
        // Fails when FluidSynth finds no voice for it under very fast playing, as any
        // synthesizer drops a voice then: not the caller's fault, and nothing to tell.
        fluid_synth_noteon(synth, channel, data1, data2);
      }
      break;
    case 0xA0:
      result = fluid_synth_key_pressure(synth, channel, data1, data2);
      break;
    case 0xB0:
      result = fluid_synth_cc(synth, channel, data1, data2);  // CC 0 and 32 select the bank
      break;
    case 0xC0:
      result = fluid_synth_program_change(synth, channel, data1);
      break;
    case 0xD0:
      result = fluid_synth_channel_pressure(synth, channel, data1);
      break;
    case 0xE0:
      result = fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
      break;
    default:
      // System messages: only a reset means something to a synthesizer.
      if (status == 0xFF) result = ResetSynth(synth);
      break;
  }
  return result == FLUID_FAILED ? MMSYSERR_INVALPARAM : MMSYSERR_NOERROR;
}

}  // namespace tastiva
