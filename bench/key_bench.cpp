// A computer key pressed on the focused key -> the platform's send call: the real main window
// and its behaviour on the offscreen platform, with the recording MIDI backend behind them.
// Reference: the note-on sent straight through MIDI_CMD, without the window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <vector>

#include "app/MainForm.h"
#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "midi/recording/RecordingPlatform.h"
#include "ui/MainWindow.h"
#include "ui/assets/Assets.h"

namespace tastiva {
namespace {

using Clock = std::chrono::steady_clock;

// The recording backend, with the moment of the last short message.
class TimedPlatform final : public MidiPlatform {
 public:
  TimedPlatform() { recorder.devices = {"Built-in Synthesizer", "Port A"}; }

  std::uint32_t midiOutGetNumDevs() override { return recorder.midiOutGetNumDevs(); }
  MidiResult midiOutGetDevCapsA(std::uint32_t id, MidiOutCaps* caps, std::uint32_t size) override {
    return recorder.midiOutGetDevCapsA(id, caps, size);
  }
  MidiResult midiOutOpen(MidiHandle* handle, std::uint32_t id, std::uintptr_t callback,
                         std::uintptr_t instance, std::uint32_t flags) override {
    return recorder.midiOutOpen(handle, id, callback, instance, flags);
  }
  MidiResult midiOutClose(MidiHandle handle) override { return recorder.midiOutClose(handle); }
  MidiResult midiOutShortMsg(MidiHandle handle, std::uint32_t message) override {
    lastSend = Clock::now();
    return recorder.midiOutShortMsg(handle, message);
  }
  MidiResult midiOutGetErrorTextA(MidiResult code, char* text, std::uint32_t size) override {
    return recorder.midiOutGetErrorTextA(code, text, size);
  }

  RecordingPlatform recorder;
  Clock::time_point lastSend{};
};

class NoBox final : public MessageBox {
 public:
  void MsgBox(const std::string&, int, const std::string&) override {}
};

class QuietDesktop final : public Desktop {
 public:
  bool PrevInstance() override { return false; }
  int Day() override { return 1; }  // no notice
  void ShowNotice() override {}
  void End() override {}
};

// Each repetition's median, beside Google Benchmark's mean.
void ReportMedian(benchmark::State& state, std::vector<double>& micros) {
  if (micros.empty()) return;
  std::nth_element(micros.begin(), micros.begin() + micros.size() / 2, micros.end());
  state.counters["p50_us"] = micros[micros.size() / 2];
}

// The program started as it starts for real, over the timing platform, its window active.
struct Program {
  Program() {
    window.SetEvents(&form);
    form.Form_Load();
    window.show();
    QApplication::setActiveWindow(&window);
    window.activateWindow();
    for (int i = 0; i < 10; ++i) QApplication::processEvents();
  }
  TimedPlatform platform;
  NoBox box;
  QuietDesktop desktop;
  MIDI_OUT out{platform, box};
  MIDI_CMD cmd{out};
  MainWindow window;
  MainForm form{window, out, cmd, desktop};
};

void BM_KeyPressToSend(benchmark::State& state) {
  Program program;
  TimedPlatform& platform = program.platform;
  KeyButton& key = program.window.key(0);
  key.setFocus();

  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, 24, 0, 0);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Q, Qt::NoModifier, 24, 0, 0);
    platform.lastSend = {};
    const Clock::time_point start = Clock::now();
    QApplication::sendEvent(&key, &press);
    const Clock::time_point sent = platform.lastSend;
    QApplication::sendEvent(&key, &release);
    if (sent < start) {
      state.SkipWithError("the key press sent nothing");
      break;
    }
    const double seconds = std::chrono::duration<double>(sent - start).count();
    state.SetIterationTime(seconds);
    micros.push_back(seconds * 1e6);
    // Keeps the recorder's log small; events queued by the repaints are handled too.
    if (micros.size() % 256 == 0) {
      state.PauseTiming();
      platform.recorder.ClearLog();
      QApplication::processEvents();
      state.ResumeTiming();
    }
  }
  ReportMedian(state, micros);
}
BENCHMARK(BM_KeyPressToSend)
    ->UseManualTime()
    ->Iterations(1000)
    ->Repetitions(9)
    ->Unit(benchmark::kMicrosecond);

// The part of a press spent drawing the key pushed in, before the note goes out.
void BM_KeyRepaint(benchmark::State& state) {
  Program program;
  KeyButton& key = program.window.key(0);
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    key.SetValue(1);
    const Clock::time_point painted = Clock::now();
    key.SetValue(0);
    const double seconds = std::chrono::duration<double>(painted - start).count();
    state.SetIterationTime(seconds);
    micros.push_back(seconds * 1e6);
  }
  ReportMedian(state, micros);
}
BENCHMARK(BM_KeyRepaint)
    ->UseManualTime()
    ->Iterations(1000)
    ->Repetitions(9)
    ->Unit(benchmark::kMicrosecond);

void BM_NoteOnToSend(benchmark::State& state) {
  TimedPlatform platform;
  NoBox box;
  MIDI_OUT out(platform, box);
  MIDI_CMD cmd(out);
  out.OpenMidiOut(0);
  std::vector<double> micros;
  micros.reserve(static_cast<std::size_t>(state.max_iterations));
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    cmd.NoteOn(0, 53, 127);
    const Clock::time_point sent = platform.lastSend;
    cmd.NoteOff(0, 53);
    const double seconds = std::chrono::duration<double>(sent - start).count();
    state.SetIterationTime(seconds);
    micros.push_back(seconds * 1e6);
    if (micros.size() % 256 == 0) platform.recorder.ClearLog();
  }
  ReportMedian(state, micros);
}
BENCHMARK(BM_NoteOnToSend)
    ->UseManualTime()
    ->Iterations(1000)
    ->Repetitions(9)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tastiva

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  tastiva::InitAssets();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
