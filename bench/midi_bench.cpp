// One note-on through SendShortMessage: to the recording backend (the program's own cost)
// and to the built-in synthesizer (FluidSynth's event handling, rendering offline).
#include <benchmark/benchmark.h>

#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "midi/devices/DesktopPlatform.h"
#include "midi/recording/RecordingPlatform.h"
#include "midi/synth/BuiltinSynth.h"

namespace tastiva {
namespace {

class NoBox final : public MessageBox {
 public:
  void MsgBox(const std::string&, int, const std::string&) override {}
};

void PlayNotes(benchmark::State& state, MidiPlatform& platform, void (*tidy)(MidiPlatform&)) {
  NoBox box;
  MIDI_OUT out(platform, box);
  MIDI_CMD cmd(out);
  if (!out.OpenMidiOut(0)) {
    state.SkipWithError("device 0 did not open");
    return;
  }
  std::int16_t note = 53;
  for (auto _ : state) {
    cmd.NoteOn(0, note, 127);
    state.PauseTiming();
    cmd.NoteOff(0, note);
    note = note == 84 ? 53 : note + 1;
    if (tidy && note == 53) tidy(platform);
    state.ResumeTiming();
  }
  out.CloseMidiOut();
}

void BM_NoteOnToRecorder(benchmark::State& state) {
  RecordingPlatform platform;
  platform.devices = {"Recorder"};
  // Keeps the recorder's log from growing without end.
  PlayNotes(state, platform,
            [](MidiPlatform& p) { static_cast<RecordingPlatform&>(p).ClearLog(); });
}
BENCHMARK(BM_NoteOnToRecorder)->Repetitions(9)->ReportAggregatesOnly(true);

void BM_NoteOnToBuiltinSynth(benchmark::State& state) {
  BuiltinSynth::Options options = BuiltinSynth::DefaultOptions();
  options.audioDrivers.clear();  // the synthesizer alone, without an audio thread
  std::vector<std::unique_ptr<PortDirectory>> directories;
  directories.push_back(std::make_unique<FixedDevices>(
      std::vector<std::shared_ptr<MidiDevice>>{std::make_shared<BuiltinSynth>(options)}));
  DesktopPlatform platform(std::move(directories));
  PlayNotes(state, platform, nullptr);
}
BENCHMARK(BM_NoteOnToBuiltinSynth)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace tastiva

BENCHMARK_MAIN();
