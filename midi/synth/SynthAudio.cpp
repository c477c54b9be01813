#include "midi/synth/SynthAudio.h"

#include <atomic>
#include <chrono>
#include <mutex>

#include "base/SerialWorker.h"
#include "midi/quiet/QuietAudio.h"
#include "midi/synth/BuiltinSynth.h"
#include "midi/synth/PeakLimiter.h"
#include "midi/synth/SilenceGate.h"
#include "midi/synth/SynthSettings.h"
#if defined(TASTIVA_HAVE_PULSE)
#include "midi/synth/PulseOutput.h"
#endif

namespace tastiva {

namespace {

using Clock = std::chrono::steady_clock;
// Far longer than any driver's period (JACK's longest is 0.19 s at 44.1 kHz).
constexpr auto kStallLimit = std::chrono::milliseconds(500);
// JACK answers a client in milliseconds, a busy machine's in seconds; a stopped server never
// does. Nobody waits for it but the synthesizer's own open, which keeps no one waiting.
constexpr auto kStartLimit = std::chrono::seconds(10);
// How long a stopped driver waits for the open that may follow.
constexpr auto kKeepTime = std::chrono::milliseconds(500);

std::int64_t Now() {
  return Clock::now().time_since_epoch().count();
}

// Never destroyed: a hung sound server may hold it at exit.
SerialWorker& Drivers() {
  static auto* const worker = new SerialWorker;
  return *worker;
}

}  // namespace

struct SynthAudio::Link {
  Link(FluidSynthHandle s, std::shared_ptr<SilenceGate> g)
      : synth(std::move(s)), gate(std::move(g)) {
    fluid_settings_getnum(fluid_synth_get_settings(synth.get()), "synth.sample-rate", &rate);
  }

  // FluidSynth's drivers, every period. JACK's takes anything but 0 for a failed client.
  static int Render(void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
    static_cast<Link*>(data)->Fill(len, nfx, fx, nout, out);
    return FLUID_OK;
  }

  // The audio thread: no wait, no allocation. The buffers come zeroed, and stay so while
  // another thread holds the lock or the gate sleeps; false when the gate sleeps.
  bool Fill(int len, int nfx, float* fx[], int nout, float* out[]) {
    lastRender.store(Now(), std::memory_order_relaxed);
    std::unique_lock lock(mutex, std::try_to_lock);
    if (!lock.owns_lock() || !playing) return true;
    if (gate->Asleep()) return false;
    // A stereo pair with the effects mixed in: FluidSynth's own path for its drivers, which
    // renders straight into the buffers. Only JACK's multi-port mode has more.
    if (nfx == 0 && nout == 2) {
      fluid_synth_write_float(synth.get(), len, out[0], 0, 1, out[1], 0, 1);
    } else {
      fluid_synth_process(synth.get(), len, nfx, fx, nout, out);
    }
    gate->Rendered(limiter.Process(out, nout, len), len);
    return true;
  }

#if defined(TASTIVA_HAVE_PULSE)
  // Our PulseAudio stream: paused while the gate sleeps, until a message wakes it.
  static bool FillPulse(void* data, int frames, float* left, float* right) {
    auto* link = static_cast<Link*>(data);
    float* out[] = {left, right};
    return link->Fill(frames, 0, nullptr, 2, out) || !link->gate->Park();
  }
  static bool ResumePulse(void* data) {
    static_cast<Link*>(data)->gate->Unpark();
    return true;
  }
#endif

  // Whether the driver plays the synthesizer or silence; once this returns, the audio thread
  // is out of the synthesizer. A stream that paused stays so until a message comes.
  void Play(bool on) {
    std::lock_guard lock(mutex);
    playing = on;
    limiter = PeakLimiter(rate);
  }

  bool Stalled() const {
    return Clock::duration(Now() - lastRender.load(std::memory_order_relaxed)) > kStallLimit;
  }

  const FluidSynthHandle synth;
  const std::shared_ptr<SilenceGate> gate;
  std::atomic<std::int64_t> lastRender{Now()};
  double rate = 48000;
  std::mutex mutex;
  bool playing = false;
  PeakLimiter limiter;  // only under mutex
};

struct SynthAudio::Made {
  std::shared_ptr<Link> link;  // outlives the driver, whose audio thread uses it
  FluidDriverPtr driver;       // FluidSynth's
#if defined(TASTIVA_HAVE_PULSE)
  std::unique_ptr<PulseOutput> pulse;  // or ours
#endif
  std::string name;

  // Whoever lets go of it last, it is deleted on the driver worker: closing a client of a hung
  // JACK server waits for the server.
  static std::shared_ptr<Made> New(FluidSynthHandle synth, std::shared_ptr<SilenceGate> gate,
                                   std::string name) {
    auto made = std::shared_ptr<Made>(new Made, [](Made* m) {
      try {
        Drivers().Post([m] { delete m; });
      } catch (...) {
        // Out of memory: left behind rather than deleted where a hung server would hold it.
      }
    });
    made->link = std::make_shared<Link>(std::move(synth), std::move(gate));  // silent until Finish
    made->name = std::move(name);
    return made;
  }

  // Makes the driver of that name; false if it cannot play.
  bool Start(fluid_settings_t* settings) {
    ChooseAudioDriver(settings, name);
#if defined(TASTIVA_HAVE_PULSE)
    if (name == "pulseaudio") {
      PulseOutput::Options options;
      options.client = kAudioClientName;
      options.stream = BuiltinSynth::kName;
      options.rate = static_cast<int>(link->rate);
      fluid_settings_getint(settings, "audio.period-size", &options.periodFrames);
      fluid_settings_getint(settings, "audio.periods", &options.periods);
      pulse = PulseOutput::Open(options, &Link::FillPulse, &Link::ResumePulse, link.get(),
                                link->gate->WakeFd());
      return pulse != nullptr;
    }
#endif
    driver.reset(new_fluid_audio_driver2(settings, &Link::Render, link.get()));
    return driver != nullptr;
  }

  // Before a new client of the same server connects.
  void Close() {
    driver.reset();
#if defined(TASTIVA_HAVE_PULSE)
    pulse.reset();
#endif
  }

  bool Stalled() const {
#if defined(TASTIVA_HAVE_PULSE)
    if (pulse) return pulse->Stalled(kStallLimit);
#endif
    return link->Stalled();
  }
};

struct SynthAudio::Shelf {
  std::shared_ptr<Made> made;
  std::uint64_t generation = 0;  // which Stop put it there
};

SynthAudio::SynthAudio() : shelf_(std::make_shared<Shelf>()) {}

SynthAudio::~SynthAudio() {
  try {
    if (current_) current_->link->Play(false);
    current_.reset();
    if (attempt_) attempt_->Abandon();  // a driver it made is deleted where Made says
    if (usedDrivers_) Drivers().Post([shelf = shelf_] { shelf->made.reset(); });
  } catch (...) {
    // Out of memory: a kept driver is left to its timer.
  }
}

void SynthAudio::Begin(FluidSettingsHandle settings, FluidSynthHandle synth,
                       std::shared_ptr<SilenceGate> gate, const std::vector<std::string>& drivers) {
  // Drivers whose server or card is missing print on failing, though the next one may work.
  QuietAudioLibraries();
  if (attempt_) attempt_->Abandon();
  usedDrivers_ = true;
  Request<std::shared_ptr<Made>> attempt;
  attempt_ = attempt;
  Drivers().Post([attempt, shelf = shelf_, settings, synth, gate, drivers] {
    std::shared_ptr<Made> kept = std::move(shelf->made);
    ++shelf->generation;
    if (kept && !drivers.empty() && kept->name == drivers.front() && !kept->Stalled()) {
      attempt.Give(std::move(kept));
      return;
    }
    if (kept) kept->Close();
    for (const std::string& name : drivers) {
      if (attempt.Abandoned()) return;
      auto made = Made::New(synth, gate, name);
      if (made->Start(settings.get())) {
        attempt.Give(std::move(made));
        return;
      }
    }
    attempt.Give(nullptr);
  });
}

bool SynthAudio::Finish() {
  if (!attempt_) return false;
  const Request<std::shared_ptr<Made>> attempt = std::move(*attempt_);
  attempt_.reset();
  std::optional<std::shared_ptr<Made>> made = attempt.AwaitOrAbandon(kStartLimit);
  if (!made || !*made) return false;
  current_ = std::move(*made);
  current_->link->Play(true);
  return true;
}

void SynthAudio::Stop() {
  if (!current_) return;
  std::shared_ptr<Made> made = std::move(current_);
  made->link->Play(false);
  if (made->Stalled()) return;  // no use keeping it: dropped, it goes on the worker
  // Kept a while for an open that follows, then dropped unless that open took it.
  Drivers().Post([shelf = shelf_, made = std::move(made)]() mutable {
    shelf->made = std::move(made);
    const std::uint64_t generation = ++shelf->generation;
    Drivers().PostAt(Clock::now() + kKeepTime, [shelf, generation] {
      if (shelf->generation == generation) shelf->made.reset();
    });
  });
}

bool SynthAudio::Stalled() const {
  return current_ && current_->Stalled();
}

std::string SynthAudio::Driver() const {
  return current_ ? current_->name : std::string();
}

}  // namespace tastiva
