#include "ProbeRounds.h"

#include <X11/extensions/XTest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <random>

namespace {

using Record = JackCapture::Record;
using Kind = JackCapture::Kind;

bool IsNoteOn(const Record& r) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(r.bytes[i]); };
  return r.kind == Kind::kMidi && r.bytes.size() == 3 && (byte(0) & 0xF0) == 0x90 && byte(2) > 0;
}

// Reads records for ms milliseconds; each goes to handle, which may end the wait by
// returning true.
template <typename Handle>
bool Pump(JackCapture& capture, double ms, Handle&& handle) {
  const jack_time_t end = jack_get_time() + static_cast<jack_time_t>(ms * 1000);
  Record r;
  for (;;) {
    while (capture.Next(r)) {
      if (handle(r)) return true;
    }
    if (jack_get_time() >= end) return false;
    usleep(200);
  }
}

void Idle(JackCapture& capture, double ms) {
  Pump(capture, ms, [](const Record&) { return false; });
}

struct Sample {
  std::optional<std::int64_t> arrival;
  std::optional<std::int64_t> floor;
  bool xrun = false;
};

std::int64_t Since(std::uint64_t from, std::uint64_t to) {
  return static_cast<std::int64_t>(to) - static_cast<std::int64_t>(from);
}

// Sends with send() at a moment taken just before; waits for what arrives. The floor is the
// start of the first period after the send, the earliest anything sent then can arrive.
template <typename Send, typename Arrived>
Sample Measure(JackCapture& capture, Send&& send, Arrived&& arrived, double timeoutMs) {
  capture.Drain();
  Sample s;
  const std::uint64_t xrunsBefore = capture.xruns();
  const std::uint64_t sent = jack_get_time();
  send();
  Pump(capture, timeoutMs, [&](const Record& r) {
    if (r.kind == Kind::kPeriod && !s.floor && r.time >= sent) s.floor = Since(sent, r.time);
    if (!s.arrival) {
      if (const std::optional<std::uint64_t> at = arrived(r)) s.arrival = Since(sent, *at);
    }
    return s.arrival && s.floor;
  });
  s.xrun = capture.xruns() != xrunsBefore;
  return s;
}

// Prints the sample; false if it has to be taken again.
bool Report(const char* what, const char* source, const Sample& s) {
  const std::string name = std::string(what) + " " + source;
  if (!s.arrival || !s.floor) {
    Line("missing " + name);
    return !s.xrun;
  }
  if (s.xrun) {
    Line("missing " + name + " xrun");
    return false;
  }
  Line(name + " " + std::to_string(*s.arrival) + " " + std::to_string(*s.floor));
  return true;
}

constexpr int kAttempts = 5;

std::mt19937 randomness{std::random_device{}()};

// 25..35 ms, so the sends fall at every phase of the period.
double Spacing() {
  return std::uniform_real_distribution<double>(25.0, 35.0)(randomness);
}

// Waits until the inputs have stayed below the threshold for quietMs.
bool WaitQuiet(JackCapture& capture, double quietMs, double timeoutMs) {
  std::uint64_t quietSince = 0;  // 0: the last period was loud
  return Pump(capture, timeoutMs, [&](const Record& r) {
    if (r.kind != Kind::kPeriod) return false;
    if (r.onset != 0) {
      quietSince = 0;
      return false;
    }
    if (quietSince == 0) quietSince = r.time;
    return static_cast<double>(r.time - quietSince) >= quietMs * 1000;
  });
}

}  // namespace

Keyboard::~Keyboard() {
  if (display_) XCloseDisplay(display_);
}

bool Keyboard::Open() {
  display_ = XOpenDisplay(nullptr);
  int event, error, major, minor;
  return display_ && XTestQueryExtension(display_, &event, &error, &major, &minor);
}

void Keyboard::Key(bool down) {
  XTestFakeKeyEvent(display_, keycode_, down ? True : False, CurrentTime);
  XFlush(display_);
}

void Line(const std::string& text) {
  std::fputs((text + "\n").c_str(), stdout);
  std::fflush(stdout);
}

void MidiRounds(JackCapture& capture, int rounds, Keyboard& keyboard, RtMidiOut& direct) {
  const auto noteOn = [](const Record& r) -> std::optional<std::uint64_t> {
    if (IsNoteOn(r)) return r.time;
    return std::nullopt;
  };
  const std::uint8_t on[3] = {0x90, 0x3c, 0x7f};
  const std::uint8_t off[3] = {0x80, 0x3c, 0x00};
  for (int i = 0; i < rounds; ++i) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      const bool done = Report("midi", "key",
                               Measure(
                                   capture, [&] { keyboard.Key(true); }, noteOn, 500));
      keyboard.Key(false);
      Idle(capture, Spacing());
      if (done) break;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      const bool done = Report("midi", "ref",
                               Measure(
                                   capture, [&] { direct.sendMessage(on, 3); }, noteOn, 500));
      direct.sendMessage(off, 3);
      Idle(capture, Spacing());
      if (done) break;
    }
  }
}

void AudioRounds(JackCapture& capture, int rounds, Keyboard& keyboard, DirectSynth* direct,
                 double quietMs, const char* keyLabel) {
  const auto loud = [](const Record& r) -> std::optional<std::uint64_t> {
    if (r.kind == Kind::kPeriod && r.onset != 0) return r.onset;
    return std::nullopt;
  };
  for (int i = 0; i < rounds; ++i) {
    for (const bool viaKey : {true, false}) {
      if (!viaKey && direct == nullptr) continue;
      for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!WaitQuiet(capture, quietMs, quietMs + 5000)) Line("missing quiet");
        Idle(capture, std::uniform_real_distribution<double>(0.0, 5.0)(randomness));
        const auto press = [&] { viaKey ? keyboard.Key(true) : direct->Note(true); };
        const bool done =
            Report("audio", viaKey ? keyLabel : "ref", Measure(capture, press, loud, 500));
        Idle(capture, 100);
        if (viaKey) {
          keyboard.Key(false);
        } else {
          direct->Note(false);
        }
        if (done) break;
      }
    }
  }
}
