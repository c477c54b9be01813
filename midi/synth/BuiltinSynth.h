#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/SerialWorker.h"
#include "midi/devices/MidiDevice.h"

namespace tastiva {

// Device 0 on systems without winmm: a General MIDI synthesizer (FluidSynth) that plays
// through the system's audio output, so the program sounds with no MIDI hardware. Its calls
// come from one thread, the program's UI thread; the work that waits runs on workers that
// share what they use, so the device may be destroyed at any moment.
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

  // Makes the synthesizer, reads the SoundFont and joins the audio system on a worker, where
  // it renders silence until the Open that follows, which then waits only for what is left.
  void Prepare() override;
  void SetBusyHook(BusyHook busy) override { busy_ = std::move(busy); }

  // Renders frames of stereo audio (interleaved left/right) while open with no audio driver,
  // once the instruments chosen have loaded.
  std::vector<float> RenderOffline(std::size_t frames);
  // While open: the SoundFont file it plays.
  std::string SoundFontFile() const;

  struct Parts;  // the synthesizer and its audio output, shared with a Prepare under way

 private:
  Options options_;
  BusyHook busy_;
  std::shared_ptr<Parts> parts_;
  SerialWorker preparer_;
  // What Prepare started; its outcome is taken by the next Open.
  std::optional<Request<DeviceResult>> prepared_;
  bool open_ = false;
};

}  // namespace tastiva
