#include "midi/SystemPorts.h"

#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iostream>
#include <mutex>
#include <new>
#include <sstream>
#include <utility>

#if defined(__linux__)
#include <alsa/asoundlib.h>
#include <jack/jack.h>
#endif

#include "midi/MidiResults.h"
#include "midi/PortNames.h"
#include "midi/ShortMessage.h"

namespace tastiva {

namespace {

// How often Send looks whether an ALSA or CoreMIDI port still exists: soon enough to report
// a vanished port, rarely enough that the look-ups cost next to nothing.
constexpr std::chrono::milliseconds kPresenceCheckInterval{250};

constexpr const char* kOwnPortName = "out";

#if defined(__linux__)
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}
void IgnoreJackMessage(const char*) {}
#endif

// libasound and libjack print to stderr when the sequencer or server is missing; a missing
// one only means no ports here.
void SilenceSystemLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
#if defined(__linux__)
    snd_lib_error_set_handler(IgnoreAlsaError);
    jack_set_error_function(IgnoreJackMessage);
    jack_set_info_function(IgnoreJackMessage);
#endif
  });
}

// Keeps what belonged to a JACK server that went away, unused, for good: libjack frees the
// clients of a vanished server on the next jack_client_open, so closing them afterwards (as
// their destructors would) touches freed memory.
void Bury(std::shared_ptr<void> remains) {
  static auto* const graveyard = new std::vector<std::shared_ptr<void>>;
  try {
    graveyard->push_back(std::move(remains));
  } catch (...) {
    static_cast<void>(new (std::nothrow) std::shared_ptr<void>(std::move(remains)));
  }
}

// An RtMidiOut whose errors are recorded instead of printed or thrown.
class RtOutput {
 public:
  // Null when the MIDI system is not available (no sequencer, no server).
  static std::shared_ptr<RtOutput> Create(RtMidi::Api api, const std::string& clientName) {
    SilenceSystemLibraries();
    auto output = std::make_shared<RtOutput>();
    // RtMidi reports construction problems on std::cerr before a callback can be set.
    std::ostringstream captured;
    std::streambuf* const saved = std::cerr.rdbuf(captured.rdbuf());
    try {
      output->rt_ = std::make_unique<RtMidiOut>(api, clientName);
      output->rt_->setErrorCallback(&RtOutput::OnError, output.get());
    } catch (...) {
      output->rt_.reset();
    }
    // JACK without a server only warns, and leaves an object without a client.
    if (!captured.str().empty()) output->rt_.reset();
    std::cerr.rdbuf(saved);
    return output->rt_ ? output : nullptr;
  }

  ~RtOutput() {
    std::ostringstream captured;
    std::streambuf* const saved = std::cerr.rdbuf(captured.rdbuf());
    rt_.reset();
    std::cerr.rdbuf(saved);
  }

  // Runs an RtMidi call; false if it reported an error or threw.
  template <typename Call>
  bool Run(Call&& call) {
    failed_ = false;
    try {
      call(*rt_);
    } catch (...) {
      failed_ = true;
    }
    return !failed_;
  }

  bool IsPortOpen() const { return rt_->isPortOpen(); }

  std::vector<std::string> PortNames() {
    std::vector<std::string> names;
    Run([&](RtMidiOut& rt) {
      const unsigned count = rt.getPortCount();
      for (unsigned i = 0; i < count; ++i) {
        std::string name = rt.getPortName(i);
        if (!name.empty()) names.push_back(std::move(name));  // empty: it went away meanwhile
      }
    });
    return names;
  }

  // The port's current index, or -1. Where it was last seen (hint) is looked at first, then
  // one place lower (a port listed earlier went away), as each name is a query of its own.
  int Find(const std::string& fullName, int hint = -1) {
    int found = -1;
    Run([&](RtMidiOut& rt) {
      for (const int guess : {hint, hint - 1}) {
        if (guess >= 0 && rt.getPortName(static_cast<unsigned>(guess)) == fullName) {
          found = guess;
          return;
        }
      }
      const unsigned count = rt.getPortCount();
      for (unsigned i = 0; i < count && found < 0; ++i) {
        if (rt.getPortName(i) == fullName) found = static_cast<int>(i);
      }
    });
    return found;
  }

 private:
  static void OnError(RtMidiError::Type, const std::string&, void* self) {
    static_cast<RtOutput*>(self)->failed_ = true;
  }

  std::unique_ptr<RtMidiOut> rt_;
  bool failed_ = false;
};

#if defined(__linux__)
// A JACK client of our own, without ports, that learns when the server goes away or a port
// is unregistered. RtMidi does not: its clients keep listing the ports of a server that is
// gone, a send then waits forever for room in a buffer that nobody empties, and a port that
// comes back in the same slot looks the same but is no longer connected.
class JackWatch {
 public:
  static std::shared_ptr<JackWatch> Open(const std::string& clientName) {
    jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, nullptr);
    if (client == nullptr) return nullptr;
    auto watch = std::make_shared<JackWatch>(client);
    jack_on_shutdown(client, &JackWatch::OnShutdown, watch.get());
    jack_set_port_registration_callback(client, &JackWatch::OnPortRegistration, watch.get());
    // Without a process callback this joins no processing cycle; it only gets notifications.
    if (jack_activate(client) != 0) return nullptr;
    return watch;
  }

  explicit JackWatch(jack_client_t* client) : client_(client) {}
  ~JackWatch() { jack_client_close(client_); }  // only while alive: see Bury
  JackWatch(const JackWatch&) = delete;
  JackWatch& operator=(const JackWatch&) = delete;

  bool Alive() const { return alive_.load(std::memory_order_acquire); }

  // A flag raised once the port now registered under fullName is unregistered; null if there
  // is no such port.
  std::shared_ptr<std::atomic<bool>> WatchPort(const std::string& fullName) {
    const jack_port_t* port = jack_port_by_name(client_, fullName.c_str());
    if (port == nullptr) return nullptr;
    auto gone = std::make_shared<std::atomic<bool>>(false);
    {
      std::lock_guard lock(mutex_);
      std::erase_if(watched_, [](const Watched& w) { return w.gone.expired(); });
      watched_.push_back({port, gone});
    }
    // Unregistered before the entry was in place.
    if (jack_port_by_name(client_, fullName.c_str()) != port) gone->store(true);
    return gone;
  }

 private:
  struct Watched {
    const jack_port_t* port;
    std::weak_ptr<std::atomic<bool>> gone;
  };

  static void OnShutdown(void* self) {
    static_cast<JackWatch*>(self)->alive_.store(false, std::memory_order_release);
  }

  // On JACK's notification thread, which may block.
  static void OnPortRegistration(jack_port_id_t id, int registered, void* self) {
    if (registered) return;
    auto* watch = static_cast<JackWatch*>(self);
    const jack_port_t* port = jack_port_by_id(watch->client_, id);
    std::lock_guard lock(watch->mutex_);
    for (const Watched& w : watch->watched_) {
      // jackd2's port handles are the ids themselves, and may no longer resolve by now.
      if (w.port != port && reinterpret_cast<std::uintptr_t>(w.port) != id) continue;
      if (const auto gone = w.gone.lock()) gone->store(true, std::memory_order_release);
    }
  }

  jack_client_t* client_;
  std::atomic<bool> alive_{true};
  std::mutex mutex_;
  std::vector<Watched> watched_;
};
#else
class JackWatch {
 public:
  bool Alive() const { return true; }
  std::shared_ptr<std::atomic<bool>> WatchPort(const std::string&) {
    return std::make_shared<std::atomic<bool>>(false);
  }
};
#endif

}  // namespace

// One MIDI system (ALSA, JACK, CoreMIDI), shared by the directory and its devices so that
// open devices outlive the directory.
struct SystemPorts::System {
  RtMidi::Api api;
  PortSystem kind;
  const char* label;
  std::string clientName;
  // Lists the ports; created on first use and kept. Also opens a port when no device uses it,
  // so a single open port appears under the plain client name.
  std::shared_ptr<RtOutput> lister;
  bool listerLent = false;
  std::shared_ptr<JackWatch> watch;  // JACK only

  // Connects, and again when the JACK server went away since: a new server needs new clients.
  bool Connect() {
    if (watch && !watch->Alive()) BuryConnection();
    if (lister) return true;
#if defined(__linux__)
    if (kind == PortSystem::kJack) {
      watch = JackWatch::Open(clientName + "-watch");
      if (!watch) return false;
    }
#endif
    lister = RtOutput::Create(api, clientName);
    if (!lister) watch.reset();
    return lister != nullptr;
  }

  // An output to open a port with: the lister when free, else a new one. Null if the
  // system is unavailable.
  std::shared_ptr<RtOutput> Acquire() {
    if (!Connect()) return nullptr;
    if (!listerLent) {
      listerLent = true;
      return lister;
    }
    return RtOutput::Create(api, clientName);
  }

  void Release(const std::shared_ptr<RtOutput>& output) {
    if (output == lister) listerLent = false;
  }

  ~System() {
    if (watch && !watch->Alive()) BuryConnection();
  }

 private:
  void BuryConnection() {
    Bury(std::move(watch));
    Bury(std::move(lister));
    listerLent = false;
  }
};

class SystemPortDevice final : public MidiDevice {
 public:
  SystemPortDevice(std::shared_ptr<SystemPorts::System> system, std::string fullName,
                   std::string name)
      : system_(std::move(system)), fullName_(std::move(fullName)), name_(std::move(name)) {}

  ~SystemPortDevice() override { Close(); }

  std::string Name() const override { return name_; }
  std::uint16_t Technology() const override { return MOD_MIDIPORT; }

  MidiResult Open() override {
    try {
      return OpenPort();
    } catch (...) {
      return Refuse(MMSYSERR_NOMEM, {});
    }
  }

  MidiResult Close() override {
    if (!output_) return MMSYSERR_NOERROR;
    if (watch_ && !watch_->Alive()) {
      Bury(output_);
      Bury(watch_);
    } else {
      output_->Run([](RtMidiOut& rt) { rt.closePort(); });
    }
    Drop();
    return MMSYSERR_NOERROR;
  }

  MidiResult Send(std::uint32_t message) override {
    if (!output_) return Refuse(MMSYSERR_INVALHANDLE, {});
    const ShortMessageBytes m = UnpackShortMessage(message);
    if (m.size == 0) return Refuse(MMSYSERR_INVALPARAM, {});
    if (!StillThere()) return Refuse(MIDIERR_NOTREADY, goneText_);
    // The pointer-and-size overload copies nothing on our side.
    if (!output_->Run([&](RtMidiOut& rt) { rt.sendMessage(m.bytes.data(), m.size); })) {
      return Refuse(MIDIERR_NOTREADY, "The MIDI port " + name_ +
                                          " stopped accepting messages. Choose it again, or "
                                          "choose another device.");
    }
    return MMSYSERR_NOERROR;
  }

  std::string ErrorDetail() const override { return detail_; }

 private:
  MidiResult OpenPort() {
    if (output_) return Refuse(MMSYSERR_ALLOCATED, {});
    std::shared_ptr<RtOutput> output = system_->Acquire();
    if (!output) {
      return Refuse(MMSYSERR_BADDEVICEID, "The MIDI port " + name_ + " is gone: " + system_->label +
                                              " is not running. Start it, or choose another "
                                              "device.");
    }
    MidiResult code = MMSYSERR_ERROR;
    try {
      code = OpenWith(*output);
    } catch (...) {
      detail_.clear();
    }
    if (code != MMSYSERR_NOERROR) {
      system_->Release(output);
      watch_.reset();
      destinationGone_.reset();
      return code;
    }
    output_ = std::move(output);
    gone_ = false;
    nextCheck_ = std::chrono::steady_clock::now() + kPresenceCheckInterval;
    return MMSYSERR_NOERROR;
  }

  MidiResult OpenWith(RtOutput& output) {
    watch_ = system_->watch;
    // Watched before the port is looked up, so that a port replaced in between is noticed.
    if (watch_) destinationGone_ = watch_->WatchPort(fullName_);
    index_ = output.Find(fullName_);
    if (index_ < 0 || (watch_ && !destinationGone_)) {
      return Refuse(MMSYSERR_BADDEVICEID, GoneText());
    }
    const bool opened = output.Run(
        [&](RtMidiOut& rt) { rt.openPort(static_cast<unsigned>(index_), kOwnPortName); });
    if (!opened || !output.IsPortOpen()) {
      output.Run([](RtMidiOut& rt) { rt.closePort(); });  // some failures leave it half open
      return Refuse(MIDIERR_NOTREADY, "The MIDI port " + name_ +
                                          " could not be opened. Try again, or choose another "
                                          "device.");
    }
    return Refuse(MMSYSERR_NOERROR, {});
  }

  // Whether the port is still there. A connection is lost for good once its port went, even
  // if the port comes back, so a vanished port stays refused until opened again.
  bool StillThere() {
    if (gone_) return false;
    if (watch_) {  // JACK tells at once, for the cost of two atomic reads
      if (!watch_->Alive()) {
        return Gone("The MIDI port " + name_ +
                    " is gone: JACK stopped. Start it, then choose the port again or another "
                    "device.");
      }
      return !destinationGone_->load(std::memory_order_acquire) || Gone(GoneText());
    }
    const auto now = std::chrono::steady_clock::now();
    if (now < nextCheck_) return true;
    nextCheck_ = now + kPresenceCheckInterval;
    index_ = output_->Find(fullName_, index_);
    return index_ >= 0 || Gone(GoneText());
  }

  bool Gone(std::string text) {
    gone_ = true;
    goneText_ = std::move(text);
    return false;
  }

  void Drop() {
    if (output_) system_->Release(output_);
    output_.reset();
    watch_.reset();
    destinationGone_.reset();
  }

  std::string GoneText() const {
    return "The MIDI port " + name_ +
           " is gone. Connect it again and choose it again, or choose another device.";
  }

  MidiResult Refuse(MidiResult code, std::string detail) {
    detail_ = std::move(detail);
    return code;
  }

  std::shared_ptr<SystemPorts::System> system_;
  std::string fullName_;  // as the system names it; numbers shift as ports come and go
  std::string name_;      // as the device list shows it
  std::shared_ptr<RtOutput> output_;
  std::shared_ptr<JackWatch> watch_;  // JACK only
  std::shared_ptr<std::atomic<bool>> destinationGone_;
  int index_ = -1;
  bool gone_ = false;
  std::string goneText_;
  std::chrono::steady_clock::time_point nextCheck_{};
  std::string detail_;  // for the last refusal
};

SystemPorts::SystemPorts(std::string clientName) : clientName_(std::move(clientName)) {
  SilenceSystemLibraries();
  const auto add = [this](RtMidi::Api api, PortSystem kind, const char* label) {
    auto system = std::make_shared<System>();
    system->api = api;
    system->kind = kind;
    system->label = label;
    system->clientName = clientName_;
    systems_.push_back(std::move(system));
  };
#if defined(__APPLE__)
  add(RtMidi::MACOSX_CORE, PortSystem::kCoreMidi, "CoreMIDI");
#else
  add(RtMidi::LINUX_ALSA, PortSystem::kAlsa, "the ALSA sequencer");
  add(RtMidi::UNIX_JACK, PortSystem::kJack, "JACK");
#endif
}

SystemPorts::~SystemPorts() = default;

std::vector<std::shared_ptr<MidiDevice>> SystemPorts::ListPorts() {
  try {
    std::vector<std::pair<std::shared_ptr<System>, std::string>> ports;
    std::vector<std::string> names;
    for (const auto& system : systems_) {
      if (!system->Connect()) continue;  // tried again on the next listing
      std::vector<std::string> fullNames = system->lister->PortNames();
      // JACK lists in registration order, which changes whenever a client restarts.
      if (system->kind == PortSystem::kJack) std::sort(fullNames.begin(), fullNames.end());
      for (std::string& fullName : fullNames) {
        if (PortClientName(system->kind, fullName) == clientName_) continue;
        names.push_back(ReadablePortName(system->kind, fullName));
        ports.emplace_back(system, std::move(fullName));
      }
    }
    MakeNamesUnique(names, kMaxPortNameBytes);

    std::vector<std::shared_ptr<MidiDevice>> devices;
    devices.reserve(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
      devices.push_back(std::make_shared<SystemPortDevice>(
          std::move(ports[i].first), std::move(ports[i].second), std::move(names[i])));
    }
    return devices;
  } catch (...) {
    return {};
  }
}

}  // namespace tastiva
