#include "midi/synth/SynthAudio.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "midi/quiet/QuietAudio.h"
#include "midi/synth/AudioDriverThread.h"

namespace tastiva {

namespace {

using Clock = std::chrono::steady_clock;
// Far longer than any driver's period (JACK's longest is 0.19 s at 44.1 kHz).
constexpr auto kStallLimit = std::chrono::milliseconds(500);
// JACK answers a client in milliseconds; a stopped server never does.
constexpr auto kStartLimit = std::chrono::seconds(3);
// How long a stopped driver waits for the open that may follow.
constexpr auto kKeepTime = std::chrono::milliseconds(500);

std::int64_t Now() {
  return Clock::now().time_since_epoch().count();
}

void Configure(fluid_settings_t* settings, const std::string& name) {
  fluid_settings_setstr(settings, "audio.driver", name.c_str());
  int periodSize = 0;
  int periods = 0;
  if (name == "pulseaudio") {
    periodSize = 512;  // smaller sizes underrun under PulseAudio and PipeWire
    periods = 2;
  } else if (name == "alsa") {
    periodSize = 256;
    periods = 3;
  } else {
    // JACK dictates its own period; others keep FluidSynth's defaults.
    fluid_settings_getint_default(settings, "audio.period-size", &periodSize);
    fluid_settings_getint_default(settings, "audio.periods", &periods);
  }
  fluid_settings_setint(settings, "audio.period-size", periodSize);
  fluid_settings_setint(settings, "audio.periods", periods);
  if (name == "jack") {
    // libjack starts a server when none runs unless JACK_NO_START_SERVER is set, which the
    // program does at start-up.
    fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
    fluid_settings_setstr(settings, "audio.jack.id", "Tastiva");
  }
}

}  // namespace

struct SynthAudio::Link {
  explicit Link(fluid_synth_t* s) : synth(s) {}

  // Called by the driver's thread every period. The buffers come zeroed.
  static int Render(void* data, int len, int nfx, float* fx[], int nout, float* out[]) {
    auto* link = static_cast<Link*>(data);
    link->lastRender.store(Now(), std::memory_order_relaxed);
    // Never waits: while the owner holds the lock this period stays silent.
    std::unique_lock lock(link->mutex, std::try_to_lock);
    if (!lock.owns_lock() || !link->playing) return FLUID_OK;
    // A stereo pair with the effects mixed in: FluidSynth's own path for its drivers, which
    // renders straight into the buffers. Only JACK's multi-port mode has more.
    if (nfx == 0 && nout == 2) {
      return fluid_synth_write_float(link->synth, len, out[0], 0, 1, out[1], 0, 1);
    }
    return fluid_synth_process(link->synth, len, nfx, fx, nout, out);
  }

  // Whether the driver plays the synthesizer or silence; once this returns, the driver's
  // thread is out of the synthesizer.
  void Play(bool on) {
    std::lock_guard lock(mutex);
    playing = on;
  }

  bool Stalled() const {
    return Clock::duration(Now() - lastRender.load(std::memory_order_relaxed)) > kStallLimit;
  }

  fluid_synth_t* const synth;
  std::atomic<std::int64_t> lastRender{Now()};
  std::mutex mutex;
  bool playing = false;
};

struct SynthAudio::Made {
  // Deleted on the driver thread, never here: a hung server would hold the caller. Whoever
  // takes it out first (an open taking it back, or the timer) has it.
  std::atomic<fluid_audio_driver_t*> driver{nullptr};
  std::shared_ptr<Link> link;
  std::string name;
};

struct SynthAudio::Attempt {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  bool abandoned = false;
  std::shared_ptr<Made> made;
};

namespace {

void Delete(SynthAudio::Made& made) {
  if (fluid_audio_driver_t* driver = made.driver.exchange(nullptr)) {
    delete_fluid_audio_driver(driver);
  }
}

void DeleteLater(std::shared_ptr<SynthAudio::Made> made) {
  AudioDriverThread::Instance().Post([made] { Delete(*made); });
}

}  // namespace

SynthAudio::SynthAudio() = default;

SynthAudio::~SynthAudio() {
  Stop();
  if (kept_) {
    AudioDriverThread::Instance().Run([kept = std::move(kept_)] { Delete(*kept); },
                                      std::chrono::seconds(1));
  }
  if (attempt_) {
    std::lock_guard lock(attempt_->mutex);
    attempt_->abandoned = true;
  }
}

void SynthAudio::Begin(fluid_settings_t* settings, fluid_synth_t* synth,
                       const std::vector<std::string>& drivers) {
  attempt_ = std::make_shared<Attempt>();
  if (kept_ && !drivers.empty() && kept_->name == drivers.front() && !kept_->link->Stalled()) {
    if (fluid_audio_driver_t* driver = kept_->driver.exchange(nullptr)) {
      auto made = std::make_shared<Made>();
      made->driver = driver;
      made->link = kept_->link;
      made->name = kept_->name;
      kept_.reset();
      attempt_->made = std::move(made);
      attempt_->finished = true;
      return;
    }
  }
  DropKept();
  // Drivers whose server or card is missing print on failing, though the next one may work.
  QuietAudioLibraries();
  AudioDriverThread::Instance().Post([settings, synth, drivers, attempt = attempt_] {
    for (const std::string& name : drivers) {
      auto made = std::make_shared<Made>();
      made->link = std::make_shared<Link>(synth);  // silent until Finish takes it
      made->name = name;
      {
        std::lock_guard lock(attempt->mutex);
        if (attempt->abandoned) return;
      }
      Configure(settings, name);
      made->driver = new_fluid_audio_driver2(settings, &Link::Render, made->link.get());
      if (made->driver == nullptr) continue;
      std::lock_guard lock(attempt->mutex);
      if (attempt->abandoned) {
        Delete(*made);
        return;
      }
      attempt->made = std::move(made);
      break;
    }
    std::lock_guard lock(attempt->mutex);
    attempt->finished = true;
    attempt->done.notify_all();
  });
}

bool SynthAudio::Finish() {
  if (!attempt_) return false;
  auto attempt = std::move(attempt_);
  std::unique_lock lock(attempt->mutex);
  if (!attempt->done.wait_for(lock, kStartLimit, [&] { return attempt->finished; })) {
    attempt->abandoned = true;
    return false;
  }
  current_ = std::move(attempt->made);
  if (current_) current_->link->Play(true);
  return current_ != nullptr;
}

void SynthAudio::Stop() {
  if (!current_) return;
  auto made = std::move(current_);
  made->link->Play(false);
  if (made->link->Stalled()) {
    DeleteLater(std::move(made));  // closing a client of a hung JACK server waits for it
    return;
  }
  DropKept();
  kept_ = made;
  // Gone after a while unless an open took it back.
  std::thread([weak = std::weak_ptr<Made>(made)] {
    std::this_thread::sleep_for(kKeepTime);
    AudioDriverThread::Instance().Post([weak] {
      if (auto kept = weak.lock()) Delete(*kept);
    });
  }).detach();
}

void SynthAudio::DropKept() {
  if (kept_) DeleteLater(std::move(kept_));
}

bool SynthAudio::Stalled() const {
  return current_ && current_->link->Stalled();
}

std::string SynthAudio::Driver() const {
  return current_ ? current_->name : std::string();
}

}  // namespace tastiva
