#include "midi/synth/SynthAudio.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "midi/quiet/QuietAudio.h"

namespace tastiva {

namespace {

using Clock = std::chrono::steady_clock;
// Far longer than any driver's period (JACK's longest is 0.19 s at 44.1 kHz).
constexpr auto kStallLimit = std::chrono::milliseconds(500);
// JACK answers a client in milliseconds; a stopped server never does.
constexpr auto kStartLimit = std::chrono::seconds(3);
constexpr auto kStopLimit = std::chrono::seconds(1);

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
    // Never waits: while Revoke holds the lock this period stays silent.
    std::unique_lock lock(link->mutex, std::try_to_lock);
    if (!lock.owns_lock() || link->revoked) return FLUID_OK;
    if (nfx == 0) {  // only JACK's multi-port mode has buffers of its own for the effects
      float* mixed[4] = {out[0], out[1], out[0], out[1]};
      return fluid_synth_process(link->synth, len, 4, mixed, nout, out);
    }
    return fluid_synth_process(link->synth, len, nfx, fx, nout, out);
  }

  // After this the driver never touches the synthesizer again.
  void Revoke() {
    std::lock_guard lock(mutex);
    revoked = true;
  }

  fluid_synth_t* const synth;
  std::atomic<std::int64_t> lastRender{Now()};
  std::mutex mutex;
  bool revoked = false;
};

namespace {

// Drivers are made and deleted one after another on a thread of their own: a JACK server that
// hangs then holds that thread, never the caller, and libjack never sees a client of a dead
// server closed while a new one connects.
class DriverThread {
 public:
  static DriverThread& Instance() {
    static auto* thread = new DriverThread;  // never destroyed: it may hang at exit
    return *thread;
  }

  // Runs task after the ones before it; true if it finished within limit.
  bool Run(std::function<void()> task, Clock::duration limit) {
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::unique_lock lock(mutex_);
    tasks_.push_back([task = std::move(task), finished] {
      task();
      finished->store(true);
    });
    changed_.notify_all();
    return changed_.wait_for(lock, limit, [&] { return finished->load(); });
  }

 private:
  DriverThread() {
    std::thread([this] {
      std::unique_lock lock(mutex_);
      for (;;) {
        changed_.wait(lock, [this] { return !tasks_.empty(); });
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
        changed_.notify_all();
      }
    }).detach();
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> tasks_;
};

// Makes a driver for link, or nullptr when none comes within kStartLimit; one that comes
// later is deleted at once.
fluid_audio_driver_t* MakeDriver(fluid_settings_t* settings,
                                 const std::shared_ptr<SynthAudio::Link>& link) {
  struct Made {
    std::mutex mutex;
    bool abandoned = false;
    fluid_audio_driver_t* driver = nullptr;
  };
  auto made = std::make_shared<Made>();
  const bool finished = DriverThread::Instance().Run(
      [settings, link, made] {
        fluid_audio_driver_t* driver =
            new_fluid_audio_driver2(settings, &SynthAudio::Link::Render, link.get());
        std::lock_guard lock(made->mutex);
        if (made->abandoned && driver != nullptr) delete_fluid_audio_driver(driver);
        if (!made->abandoned) made->driver = driver;
      },
      kStartLimit);
  std::lock_guard lock(made->mutex);
  if (finished) return made->driver;
  made->abandoned = true;
  link->Revoke();
  return nullptr;
}

}  // namespace

SynthAudio::SynthAudio() = default;

SynthAudio::~SynthAudio() {
  Stop();
}

bool SynthAudio::Start(fluid_settings_t* settings, fluid_synth_t* synth,
                       const std::vector<std::string>& drivers) {
  // Drivers whose server or card is missing print on failing, though the next one may work.
  QuietAudioLibraries();
  for (const std::string& name : drivers) {
    Configure(settings, name);
    auto link = std::make_shared<Link>(synth);
    driver_.reset(MakeDriver(settings, link));
    if (driver_) {
      link_ = std::move(link);
      name_ = name;
      return true;
    }
  }
  return false;
}

void SynthAudio::Stop() {
  if (!driver_) return;
  const bool stalled = Stalled();
  link_->Revoke();
  // Closing a client of a hung JACK server waits for the server: it goes on without us.
  DriverThread::Instance().Run(
      [driver = driver_.release(), link = link_]() mutable {
        delete_fluid_audio_driver(driver);
        link.reset();  // kept until the driver can no longer call it
      },
      stalled ? Clock::duration::zero() : kStopLimit);
  link_.reset();
  name_.clear();
}

bool SynthAudio::Stalled() const {
  if (!driver_) return false;
  const auto silent = Clock::duration(Now() - link_->lastRender.load(std::memory_order_relaxed));
  return silent > kStallLimit;
}

}  // namespace tastiva
