#pragma once

#include <memory>
#include <string>
#include <vector>

#include "midi/devices/MidiDevice.h"

namespace tastiva {

class SynthEngine;
class SynthAudio;

// Device 0 on systems without winmm: a General MIDI synthesizer (FluidSynth) that plays
// through the system's audio output, so the program sounds with no MIDI hardware.
class BuiltinSynth final : public MidiDevice {
 public:
  struct Options {
    // SoundFonts tried in order, as in SoundFontPaths.txt; the first that loads is used.
    std::vector<std::string> soundFonts;
    // FluidSynth audio drivers tried in order. Empty: no audio output; RenderOffline pulls
    // the samples instead (tests).
    std::vector<std::string> audioDrivers;
    int sampleRate = 48000;
  };

  static Options DefaultOptions();

  explicit BuiltinSynth(Options options = DefaultOptions());
  ~BuiltinSynth() override;

  std::string Name() const override;
  std::uint16_t Technology() const override;
  DeviceResult Open() override;
  DeviceResult Close() override;
  DeviceResult Send(std::uint32_t message) override;

  // Renders frames of stereo audio (interleaved left/right) while no audio driver runs, once
  // the instruments chosen have loaded.
  std::vector<float> RenderOffline(std::size_t frames);

 private:
  Options options_;
  // The audio thread plays the engine's synth: declared after it, so stopped before it goes.
  std::unique_ptr<SynthEngine> engine_;
  std::unique_ptr<SynthAudio> audio_;
  bool open_ = false;
};

}  // namespace tastiva
