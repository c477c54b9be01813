#include "midi/BuiltinSynth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <new>
#include <string_view>

#include "midi/MidiResults.h"
#include "midi/ShortMessage.h"

#if defined(__linux__)
#include <alsa/asoundlib.h>
#include <jack/jack.h>
#endif

namespace tastiva {

namespace {

// Refusal texts are shown in winmm's 128-byte error buffer.
constexpr std::size_t kMaxDetail = 127;

// Cuts text to kMaxDetail bytes without splitting a UTF-8 sequence.
std::string FitDetail(std::string text) {
  if (text.size() <= kMaxDetail) return text;
  std::size_t end = kMaxDetail;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

// Keeps the end of a long path (the file name is what the user recognises).
std::string ShortenPath(const std::string& path, std::size_t budget) {
  if (path.size() <= budget) return path;
  std::size_t start = path.size() - (budget - 3);
  while (start < path.size() && (static_cast<unsigned char>(path[start]) & 0xC0) == 0x80) ++start;
  return "..." + path.substr(start);
}

// FluidSynth logs through one process-wide hook. Its messages stay off stderr; the last
// problem is kept so a refusal can say what FluidSynth objected to.
class FluidLog {
 public:
  static FluidLog& Instance() {
    static FluidLog log;
    return log;
  }

  void Install() {
    std::call_once(installed_, [this] {
      for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG}) {
        fluid_set_log_function(level, &FluidLog::Receive, this);
      }
    });
  }

  void Clear() {
    std::lock_guard lock(mutex_);
    last_.clear();
  }

  std::string Last() {
    std::lock_guard lock(mutex_);
    return last_;
  }

 private:
  static void Receive(int level, const char* message, void* data) {
    if (level > FLUID_WARN || message == nullptr) return;
    auto* self = static_cast<FluidLog*>(data);
    try {
      std::lock_guard lock(self->mutex_);
      self->last_ = message;
    } catch (...) {
      // Called from FluidSynth's C code, possibly on the audio thread: nothing may escape.
    }
  }

  std::once_flag installed_;
  std::mutex mutex_;
  std::string last_;
};

#if defined(__linux__)
void Silent(const char*) {}
void SilentAlsa(const char*, int, const char*, int, const char*, ...) {}
#endif

// The JACK and ALSA libraries print to stderr whenever their server or card is missing, which
// is the normal case when an earlier driver in the list already failed or the next one works.
void QuietAudioLibraries() {
#if defined(__linux__)
  static std::once_flag once;
  std::call_once(once, [] {
    jack_set_error_function(&Silent);
    jack_set_info_function(&Silent);
    snd_lib_error_set_handler(&SilentAlsa);
  });
#endif
}

// Checks the RIFF header as FluidSynth does. A file that fails here is not handed to
// FluidSynth, whose DLS fallback loader prints GLib warnings for it on stderr.
bool LooksLikeSoundFont(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) return false;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::array<char, 12> header{};
  const bool read = std::fread(header.data(), 1, header.size(), file) == header.size();
  std::fclose(file);
  if (!read) return false;
  std::uintmax_t riffSize = 0;
  for (int i = 7; i >= 4; --i) riffSize = (riffSize << 8) | static_cast<unsigned char>(header[i]);
  const std::string_view text(header.data(), header.size());
  return text.substr(0, 4) == "RIFF" && text.substr(8, 4) == "sfbk" && riffSize + 8 == size;
}

#if defined(__APPLE__)
constexpr const char* kNoSoundFontText =
    "No General MIDI SoundFont found. Save one as /opt/homebrew/share/soundfonts/default.sf2.";
constexpr const char* kNoAudioText =
    "No audio output for the built-in synthesizer. Check the sound output in System Settings.";
#else
constexpr const char* kNoSoundFontText =
    "No General MIDI SoundFont found. Install one, e.g. the Debian package timgm6mb-soundfont.";
constexpr const char* kNoAudioText =
    "No audio output for the built-in synthesizer. Start PulseAudio, PipeWire or JACK.";
#endif

struct Outcome {
  MidiResult code = MMSYSERR_NOERROR;
  std::string detail;
};

}  // namespace

struct BuiltinSynth::Engine {
  explicit Engine(Options o) : options(std::move(o)) {}

  ~Engine() {
    if (driver != nullptr) delete_fluid_audio_driver(driver);
    Unload();
  }

  // Creates the settings and synth and loads the first usable SoundFont. Runs once; a failed
  // attempt leaves nothing behind, so a later open (after the user installed one) retries.
  Outcome Load() {
    if (synth != nullptr) return {};
    FluidLog::Instance().Install();
    settings = new_fluid_settings();
    if (settings == nullptr) return {MMSYSERR_NOMEM, {}};
    fluid_settings_setnum(settings, "synth.sample-rate", options.sampleRate);
    fluid_settings_setint(settings, "synth.cpu-cores", 1);
    synth = new_fluid_synth(settings);
    if (synth == nullptr) {
      Unload();
      return {MMSYSERR_NOMEM, {}};
    }
    std::string broken;
    for (const std::string& path : options.soundFonts) {
      std::error_code error;
      if (!std::filesystem::is_regular_file(path, error)) continue;
      if (LooksLikeSoundFont(path) && fluid_synth_sfload(synth, path.c_str(), 1) != FLUID_FAILED) {
        return {};
      }
      if (broken.empty()) broken = path;
    }
    Unload();
    if (broken.empty()) return {MIDIERR_INVALIDSETUP, kNoSoundFontText};
    const std::string before = "The SoundFont ";
    const std::string after = " could not be read. Reinstall it or install another.";
    return {MIDIERR_INVALIDSETUP,
            before + ShortenPath(broken, kMaxDetail - before.size() - after.size()) + after};
  }

  void Unload() {
    if (synth != nullptr) delete_fluid_synth(synth);
    if (settings != nullptr) delete_fluid_settings(settings);
    synth = nullptr;
    settings = nullptr;
  }

  bool Loaded() const { return synth != nullptr; }

  void ConfigureDriver(const std::string& name) {
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
      // Without this, libjack tries to start a server when none runs and stalls for seconds.
      setenv("JACK_NO_START_SERVER", "1", 0);
      fluid_settings_setint(settings, "audio.jack.autoconnect", 1);
      fluid_settings_setstr(settings, "audio.jack.id", "Tastiva");
    }
  }

  bool StartDriver() {
    QuietAudioLibraries();
    for (const std::string& name : options.audioDrivers) {
      ConfigureDriver(name);
      driver = new_fluid_audio_driver(settings, synth);
      if (driver != nullptr) return true;
    }
    return false;
  }

  // FluidSynth's system reset lets the voices ring out through their release; a reset is meant
  // to stop them. In the other order the reset would release them again.
  int Reset() {
    const int result = fluid_synth_system_reset(synth);
    fluid_synth_all_sounds_off(synth, -1);
    return result;
  }

  // Reverb and chorus keep a tail FluidSynth offers no call to clear. With no driver running,
  // render it away (about a second at most, a few milliseconds of work) so an open starts silent.
  void DrainEffects() {
    std::array<float, 2 * 1024> block{};
    for (int i = 0; i < 100; ++i) {
      fluid_synth_write_float(synth, 1024, block.data(), 0, 2, block.data(), 1, 2);
      const bool silent =
          std::all_of(block.begin(), block.end(), [](float v) { return std::fabs(v) < 1e-5F; });
      if (silent) break;
    }
  }

  MidiResult Dispatch(const ShortMessageBytes& m) {
    const std::uint8_t status = m.bytes[0];
    // Data bytes above 127 would be out of range for FluidSynth; keep the low seven bits.
    const int data1 = m.bytes[1] & 0x7F;
    const int data2 = m.bytes[2] & 0x7F;
    const int channel = status & 0x0F;
    int result = FLUID_OK;
    switch (status & 0xF0) {
      case 0x80:
        // Fails when nothing sounds on that key any more, which is no fault of the caller.
        fluid_synth_noteoff(synth, channel, data1);
        break;
      case 0x90:
        if (data2 == 0) {
          fluid_synth_noteoff(synth, channel, data1);
        } else {
          result = fluid_synth_noteon(synth, channel, data1, data2);
        }
        break;
      case 0xA0:
        result = fluid_synth_key_pressure(synth, channel, data1, data2);
        break;
      case 0xB0:
        result = fluid_synth_cc(synth, channel, data1, data2);  // CC 0 and 32 select the bank
        break;
      case 0xC0:
        result = fluid_synth_program_change(synth, channel, data1);
        break;
      case 0xD0:
        result = fluid_synth_channel_pressure(synth, channel, data1);
        break;
      case 0xE0:
        result = fluid_synth_pitch_bend(synth, channel, data1 | (data2 << 7));
        break;
      default:
        // System messages: only a reset means something to a synthesizer.
        if (status == 0xFF) result = Reset();
        break;
    }
    return result == FLUID_FAILED ? MMSYSERR_INVALPARAM : MMSYSERR_NOERROR;
  }

  Options options;
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_audio_driver_t* driver = nullptr;
  bool open = false;
  std::string detail;
};

BuiltinSynth::Options BuiltinSynth::DefaultOptions() {
  Options options;
#if defined(__APPLE__)
  options.soundFonts = {"/opt/homebrew/share/soundfonts/default.sf2",
                        "/usr/local/share/soundfonts/default.sf2"};
  options.audioDrivers = {"coreaudio"};
#else
  options.soundFonts = {"/usr/share/sounds/sf2/default-GM.sf2",
                        "/usr/share/sounds/sf2/FluidR3_GM.sf2",
                        "/usr/share/sounds/sf2/TimGM6mb.sf2", "/usr/share/soundfonts/default.sf2",
                        "/usr/share/soundfonts/FluidR3_GM.sf2"};
#if defined(__linux__)
  options.audioDrivers = {"jack", "pulseaudio", "alsa"};
#else
  options.audioDrivers = {"jack", "pulseaudio", "sndio", "oss"};
#endif
#endif
  return options;
}

BuiltinSynth::BuiltinSynth(Options options)
    : engine_(std::make_unique<Engine>(std::move(options))) {}

BuiltinSynth::~BuiltinSynth() = default;

std::string BuiltinSynth::Name() const {
  return "Built-in Synthesizer";
}

std::uint16_t BuiltinSynth::Technology() const {
  return MOD_SWSYNTH;
}

MidiResult BuiltinSynth::Open() {
  Engine& e = *engine_;
  try {
    e.detail.clear();
    if (e.open) return MMSYSERR_ALLOCATED;
    Outcome loaded = e.Load();
    if (loaded.code != MMSYSERR_NOERROR) {
      e.detail = FitDetail(std::move(loaded.detail));
      return loaded.code;
    }
    if (!e.options.audioDrivers.empty() && !e.StartDriver()) {
      e.detail = kNoAudioText;
      return MMSYSERR_NODRIVER;
    }
    e.open = true;
    return MMSYSERR_NOERROR;
  } catch (const std::bad_alloc&) {
    return MMSYSERR_NOMEM;
  } catch (...) {
    return MMSYSERR_ERROR;
  }
}

MidiResult BuiltinSynth::Close() {
  Engine& e = *engine_;
  e.detail.clear();
  if (!e.open) return MMSYSERR_INVALHANDLE;
  // No audio thread may run while closed; the engine and its SoundFont stay for the next open.
  if (e.driver != nullptr) delete_fluid_audio_driver(e.driver);
  e.driver = nullptr;
  e.Reset();
  e.DrainEffects();
  e.open = false;
  return MMSYSERR_NOERROR;
}

MidiResult BuiltinSynth::Send(std::uint32_t message) {
  Engine& e = *engine_;
  try {
    e.detail.clear();
    if (!e.open) return MMSYSERR_INVALHANDLE;
    const ShortMessageBytes m = UnpackShortMessage(message);
    if (m.size == 0) return MMSYSERR_NOERROR;  // running status: nothing to act on
    FluidLog::Instance().Clear();
    const MidiResult result = e.Dispatch(m);
    if (result != MMSYSERR_NOERROR) {
      const std::string reason = FluidLog::Instance().Last();
      if (!reason.empty()) e.detail = FitDetail("The built-in synthesizer refused: " + reason);
    }
    return result;
  } catch (const std::bad_alloc&) {
    return MMSYSERR_NOMEM;
  } catch (...) {
    return MMSYSERR_ERROR;
  }
}

std::string BuiltinSynth::ErrorDetail() const {
  try {
    return engine_->detail;
  } catch (...) {
    return {};
  }
}

std::vector<float> BuiltinSynth::RenderOffline(std::size_t frames) {
  Engine& e = *engine_;
  try {
    // With a driver running, the audio thread owns the rendering.
    if (!e.Loaded() || e.driver != nullptr) return {};
    if (frames > std::numeric_limits<std::size_t>::max() / 2) return {};
    std::vector<float> samples(frames * 2);
    constexpr std::size_t kBlock = 4096;
    for (std::size_t done = 0; done < frames; done += kBlock) {
      const int n = static_cast<int>(std::min(kBlock, frames - done));
      float* out = samples.data() + 2 * done;
      fluid_synth_write_float(e.synth, n, out, 0, 2, out, 1, 2);
    }
    return samples;
  } catch (...) {
    return {};
  }
}

}  // namespace tastiva
