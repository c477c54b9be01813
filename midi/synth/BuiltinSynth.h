#pragma once

#include <future>
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
  static constexpr const char* kName = "Built-in Synthesizer";

  explicit BuiltinSynth(Options options = DefaultOptions());
  ~BuiltinSynth() override;

  std::string Name() const override;
  std::uint16_t Technology() const override;
  DeviceResult Open() override;
  DeviceResult Close() override;
  DeviceResult Send(std::uint32_t message) override;

  // Makes the synthesizer, reads the SoundFont and joins the audio system, where it renders
  // silence until the Open that follows, which then waits only for what is left.
  void Prepare() override;

  // Renders frames of stereo audio (interleaved left/right) while no audio driver runs, once
  // the instruments chosen have loaded.
  std::vector<float> RenderOffline(std::size_t frames);

 private:
  // What Open does: the synthesizer made, its SoundFont read, the audio system joined.
  DeviceResult Start();

  Options options_;
  // The audio thread plays the engine's synth: declared after it, so stopped before it goes.
  std::unique_ptr<SynthEngine> engine_;
  std::unique_ptr<SynthAudio> audio_;
  // What Prepare started; its outcome is taken by the next Open. Waited for before the engine
  // goes.
  std::future<DeviceResult> prepared_;
  bool open_ = false;
};

}  // namespace tastiva
