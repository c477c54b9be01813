#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "midi/devices/MidiDevice.h"
#include "midi/synth/FluidPtr.h"

namespace tastiva {

class SilenceGate;
class SynthWorker;

// FluidSynth's settings and synthesizer with a General MIDI SoundFont whose samples load
// only when an instrument is chosen, and the worker that plays on it. Made and loaded on the
// synthesizer's preparer (or the UI thread); used from the UI thread once open.
class SynthEngine {
 public:
  SynthEngine();
  ~SynthEngine();

  // Creates the settings and the synthesizer; does nothing once made. busy hears when the
  // worker loads instruments (may be empty).
  DeviceResult Create(int sampleRate, MidiDevice::BusyHook busy = nullptr);
  bool Created() const { return worker_ != nullptr; }
  // Loads the first usable SoundFont of places (names as in SoundFontPaths.txt). Does nothing
  // once loaded; a failed attempt tries again next time (after the user installed one).
  DeviceResult Load(const std::vector<std::string>& places);
  bool Loaded() const { return loaded_; }
  // The SoundFont file loaded, links followed.
  const std::string& SoundFontFile() const { return file_; }

  const FluidSettingsHandle& settings() const { return settings_; }
  const FluidSynthHandle& synth() const { return synth_; }
  SynthWorker& worker() const { return *worker_; }
  // Whether the audio output renders; every message played wakes it.
  const std::shared_ptr<SilenceGate>& gate() const { return gate_; }

  // Silences the synthesizer for the next open; only while no audio driver runs.
  void Silence();
  // Frames of stereo audio, interleaved left/right, once the queued work is done; only
  // while no audio driver runs.
  std::vector<float> Render(std::size_t frames);

 private:
  FluidSettingsHandle settings_;
  FluidSynthHandle synth_;
  std::shared_ptr<SilenceGate> gate_;
  std::unique_ptr<SynthWorker> worker_;
  bool loaded_ = false;
  std::string file_;
};

}  // namespace tastiva
