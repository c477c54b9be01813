// A JACK client that times real input to the program's output, on the JACK clock.
//
// Commands, one a line on stdin:
//   midi N   N rounds, each a real X key press (XTEST) timed to the program's note-on at this
//            client's MIDI input "in", then a note-on sent straight through RtMidi to the same
//            input: the cost of the JACK period alone, measured the same way.
//   audio N  N rounds, each a real key press timed to the first sample above the threshold at
//            the audio inputs "left"/"right" (connect the program's synthesizer to them), then
//            a note-on given straight to a FluidSynth of our own on JACK, set up as the
//            program sets its own up and connected to the same inputs: the cost of the period
//            and of the SoundFont's attack alone.
//   quit
// Output lines: "ready"; "in <hex bytes>" for MIDI arriving between commands;
// "midi key|ref <latency_us> <floor_us>"; "audio key|ref <latency_us> <floor_us>";
// "missing <what>" ("... xrun" for a sample taken again); "done <command> xruns=<n> dropped=<n>".
// An arrival is the moment our process callback began in the period it arrived in, plus its
// frame offset; the floor is that moment of the first period after the send, the earliest
// anything sent then can arrive. A sample with an xrun in between is taken again.
//
// usage: latency_probe [--keycode 24] [--threshold 0.001] [--soundfont FILE] CLIENT_NAME
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <fluidsynth.h>
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <poll.h>
#include <unistd.h>

#include <RtMidi.h>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <random>
#include <string>

namespace {

enum : std::uint32_t { kCycle = 0, kMidi = 1 };

// One period (its start and the first loud sample, if any) or one MIDI event.
struct Record {
  std::uint64_t time = 0;   // period start, or the event's time
  std::uint64_t onset = 0;  // periods: time of the first sample above the threshold; 0 if none
  std::uint32_t kind = kCycle;
  std::uint32_t size = 0;
  std::uint8_t bytes[4] = {};
};

jack_client_t* client = nullptr;
jack_port_t* midiIn = nullptr;
jack_port_t* audioIn[2] = {};
jack_ringbuffer_t* ring = nullptr;
float threshold = 0.001F;
double usecsPerFrame = 0;
std::atomic<std::uint64_t> xruns{0};
std::atomic<std::uint64_t> dropped{0};

void Push(const Record& r) {
  if (jack_ringbuffer_write_space(ring) < sizeof r) {
    dropped.fetch_add(1, std::memory_order_relaxed);
    return;
  }
  jack_ringbuffer_write(ring, reinterpret_cast<const char*>(&r), sizeof r);
}

int Process(jack_nframes_t frames, void*) {
  // Measured, not the server's filtered estimate: that one drifts by milliseconds after an
  // xrun. Every time here is taken this way, so the sends and the references compare alike.
  const jack_time_t now = jack_get_time();
  Record cycle;
  cycle.time = now;
  jack_nframes_t loud = frames;
  for (jack_port_t* port : audioIn) {
    const auto* samples = static_cast<const float*>(jack_port_get_buffer(port, frames));
    for (jack_nframes_t i = 0; i < loud; ++i) {
      if (std::fabs(samples[i]) > threshold) {
        loud = i;
        break;
      }
    }
  }
  if (loud < frames) cycle.onset = now + static_cast<jack_time_t>(loud * usecsPerFrame);
  // The period first, so a reader knows the period of every event that follows.
  Push(cycle);

  void* buffer = jack_port_get_buffer(midiIn, frames);
  const std::uint32_t count = jack_midi_get_event_count(buffer);
  for (std::uint32_t i = 0; i < count; ++i) {
    jack_midi_event_t event;
    if (jack_midi_event_get(&event, buffer, i) != 0) continue;
    Record r;
    r.kind = kMidi;
    r.time = now + static_cast<jack_time_t>(event.time * usecsPerFrame);
    r.size = static_cast<std::uint32_t>(std::min<std::size_t>(event.size, sizeof r.bytes));
    std::memcpy(r.bytes, event.buffer, r.size);
    Push(r);
  }
  return 0;
}

int OnXrun(void*) {
  xruns.fetch_add(1, std::memory_order_relaxed);
  return 0;
}

bool Next(Record& r) {
  if (jack_ringbuffer_read_space(ring) < sizeof r) return false;
  jack_ringbuffer_read(ring, reinterpret_cast<char*>(&r), sizeof r);
  return true;
}

void Line(const std::string& text) {
  std::fputs((text + "\n").c_str(), stdout);
  std::fflush(stdout);
}

std::string Hex(const Record& r) {
  std::string text;
  char hex[4];
  for (std::uint32_t i = 0; i < r.size; ++i) {
    std::snprintf(hex, sizeof hex, i ? " %02x" : "%02x", r.bytes[i]);
    text += hex;
  }
  return text;
}

bool IsNoteOn(const Record& r) {
  return r.kind == kMidi && r.size == 3 && (r.bytes[0] & 0xF0) == 0x90 && r.bytes[2] > 0;
}

// Reads records for ms milliseconds; each goes to handle, which may end the wait by
// returning true.
template <typename Handle>
bool Pump(double ms, Handle&& handle) {
  const jack_time_t end = jack_get_time() + static_cast<jack_time_t>(ms * 1000);
  Record r;
  for (;;) {
    while (Next(r)) {
      if (handle(r)) return true;
    }
    if (jack_get_time() >= end) return false;
    usleep(200);
  }
}

void Drain() {
  Record r;
  while (Next(r)) {
  }
}

class Keyboard {
 public:
  explicit Keyboard(int keycode) : keycode_(static_cast<unsigned>(keycode)) {}
  ~Keyboard() {
    if (display_) XCloseDisplay(display_);
  }

  bool Open() {
    display_ = XOpenDisplay(nullptr);
    int event, error, major, minor;
    return display_ && XTestQueryExtension(display_, &event, &error, &major, &minor);
  }

  void Key(bool down) {
    XTestFakeKeyEvent(display_, keycode_, down ? True : False, CurrentTime);
    XFlush(display_);
  }

 private:
  Display* display_ = nullptr;
  unsigned keycode_;
};

struct Sample {
  std::optional<std::int64_t> arrival;
  std::optional<std::int64_t> floor;
  bool xrun = false;
};

std::int64_t Since(std::uint64_t from, std::uint64_t to) {
  return static_cast<std::int64_t>(to) - static_cast<std::int64_t>(from);
}

// Sends with send() at a moment taken just before; waits for what arrives.
template <typename Send, typename Arrived>
Sample Measure(Send&& send, Arrived&& arrived, double timeoutMs) {
  Drain();
  Sample s;
  const std::uint64_t xrunsBefore = xruns.load();
  const std::uint64_t sent = jack_get_time();
  send();
  Pump(timeoutMs, [&](const Record& r) {
    if (r.kind == kCycle && !s.floor && r.time >= sent) s.floor = Since(sent, r.time);
    if (!s.arrival) {
      if (const std::optional<std::uint64_t> at = arrived(r)) s.arrival = Since(sent, *at);
    }
    return s.arrival && s.floor;
  });
  s.xrun = xruns.load() != xrunsBefore;
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

void MidiRounds(int rounds, Keyboard& keyboard, RtMidiOut& direct) {
  const auto noteOn = [](const Record& r) -> std::optional<std::uint64_t> {
    if (IsNoteOn(r)) return r.time;
    return std::nullopt;
  };
  const std::uint8_t on[3] = {0x90, 0x3c, 0x7f};
  const std::uint8_t off[3] = {0x80, 0x3c, 0x00};
  const auto idle = [](const Record&) { return false; };
  for (int i = 0; i < rounds; ++i) {
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      const bool done = Report("midi", "key", Measure([&] { keyboard.Key(true); }, noteOn, 500));
      keyboard.Key(false);
      Pump(Spacing(), idle);
      if (done) break;
    }
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
      const bool done =
          Report("midi", "ref", Measure([&] { direct.sendMessage(on, 3); }, noteOn, 500));
      direct.sendMessage(off, 3);
      Pump(Spacing(), idle);
      if (done) break;
    }
  }
}

// Waits until the inputs have stayed below the threshold for quietMs.
bool WaitQuiet(double quietMs, double timeoutMs) {
  std::uint64_t quietSince = 0;  // 0: the last period was loud
  return Pump(timeoutMs, [&](const Record& r) {
    if (r.kind != kCycle) return false;
    if (r.onset != 0) {
      quietSince = 0;
      return false;
    }
    if (quietSince == 0) quietSince = r.time;
    return static_cast<double>(r.time - quietSince) >= quietMs * 1000;
  });
}

// A FluidSynth on JACK with the program's settings, its outputs connected to our inputs.
class DirectSynth {
 public:
  ~DirectSynth() {
    if (driver_) delete_fluid_audio_driver(driver_);
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
  }

  bool Open(const std::string& name, const std::string& soundFont) {
    settings_ = new_fluid_settings();
    fluid_settings_setnum(settings_, "synth.sample-rate", 48000);
    fluid_settings_setint(settings_, "synth.cpu-cores", 1);
    fluid_settings_setstr(settings_, "audio.driver", "jack");
    fluid_settings_setint(settings_, "audio.jack.autoconnect", 0);
    fluid_settings_setstr(settings_, "audio.jack.id", name.c_str());
    synth_ = new_fluid_synth(settings_);
    if (!synth_ || fluid_synth_sfload(synth_, soundFont.c_str(), 1) == FLUID_FAILED) return false;
    driver_ = new_fluid_audio_driver(settings_, synth_);
    if (!driver_) return false;
    const std::string ours = jack_get_client_name(client);
    const char** ports = jack_get_ports(client, ("^" + name + "[^:]*:").c_str(),
                                        JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
    int connected = 0;
    for (int i = 0; ports && ports[i] && i < 2; ++i) {
      const std::string input = ours + (i == 0 ? ":left" : ":right");
      if (jack_connect(client, ports[i], input.c_str()) == 0) ++connected;
    }
    if (ports) jack_free(ports);
    return connected == 2;
  }

  void Note(bool on) {
    if (on) {
      fluid_synth_noteon(synth_, 0, 53, 127);
    } else {
      fluid_synth_noteoff(synth_, 0, 53);
    }
  }

 private:
  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  fluid_audio_driver_t* driver_ = nullptr;
};

void AudioRounds(int rounds, Keyboard& keyboard, DirectSynth& direct) {
  const auto loud = [](const Record& r) -> std::optional<std::uint64_t> {
    if (r.kind == kCycle && r.onset != 0) return r.onset;
    return std::nullopt;
  };
  const auto idle = [](const Record&) { return false; };
  for (int i = 0; i < rounds; ++i) {
    for (const bool viaKey : {true, false}) {
      for (int attempt = 0; attempt < kAttempts; ++attempt) {
        if (!WaitQuiet(50, 5000)) Line("missing quiet");
        Pump(std::uniform_real_distribution<double>(0.0, 5.0)(randomness), idle);
        const bool done =
            viaKey ? Report("audio", "key", Measure([&] { keyboard.Key(true); }, loud, 500))
                   : Report("audio", "ref", Measure([&] { direct.Note(true); }, loud, 500));
        Pump(100, idle);
        if (viaKey) {
          keyboard.Key(false);
        } else {
          direct.Note(false);
        }
        if (done) break;
      }
    }
  }
}

int Usage() {
  std::fprintf(stderr,
               "usage: latency_probe [--keycode N] [--threshold X] [--soundfont FILE] "
               "CLIENT_NAME\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  int keycode = 24;
  const char* name = nullptr;
  std::string soundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--keycode") == 0 && i + 1 < argc) {
      keycode = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--soundfont") == 0 && i + 1 < argc) {
      soundFont = argv[++i];
    } else if (std::strcmp(argv[i], "--threshold") == 0 && i + 1 < argc) {
      threshold = static_cast<float>(std::atof(argv[++i]));
    } else if (argv[i][0] == '-' || name) {
      return Usage();
    } else {
      name = argv[i];
    }
  }
  if (!name) return Usage();

  ring = jack_ringbuffer_create(1 << 20);
  jack_status_t status;
  client = jack_client_open(name, static_cast<jack_options_t>(JackNoStartServer | JackUseExactName),
                            &status);
  if (!client) {
    std::fprintf(stderr, "latency_probe: cannot open client %s (0x%x)\n", name,
                 static_cast<unsigned>(status));
    return 1;
  }
  midiIn = jack_port_register(client, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
  audioIn[0] = jack_port_register(client, "left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  audioIn[1] = jack_port_register(client, "right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
  if (!midiIn || !audioIn[0] || !audioIn[1]) return 1;
  jack_set_process_callback(client, Process, nullptr);
  jack_set_xrun_callback(client, OnXrun, nullptr);
  usecsPerFrame = 1e6 / jack_get_sample_rate(client);
  if (jack_activate(client) != 0) return 1;

  // The reference sender: RtMidi's JACK output, as the program uses it, into our input.
  std::unique_ptr<RtMidiOut> direct;
  try {
    direct = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, std::string(name) + "-direct");
    const std::string target = std::string(name) + ":in";
    for (unsigned i = 0; i < direct->getPortCount(); ++i) {
      if (direct->getPortName(i) == target) direct->openPort(i, "out");
    }
  } catch (const RtMidiError& e) {
    std::fprintf(stderr, "latency_probe: %s\n", e.what());
    return 1;
  }
  if (!direct->isPortOpen()) {
    std::fprintf(stderr, "latency_probe: cannot connect RtMidi to our input\n");
    return 1;
  }

  Keyboard keyboard(keycode);
  const bool haveKeyboard = keyboard.Open();
  Line("ready");

  std::string pending;
  for (;;) {
    // Between commands: show what arrives, so a caller can see the program chose our port.
    Record r;
    while (Next(r)) {
      if (r.kind == kMidi) Line("in " + Hex(r));
    }
    pollfd input{0, POLLIN, 0};
    if (poll(&input, 1, 2) <= 0) continue;
    char chunk[256];
    const ssize_t got = read(0, chunk, sizeof chunk);
    if (got <= 0) break;
    pending.append(chunk, static_cast<std::size_t>(got));
    std::size_t newline;
    bool quit = false;
    while ((newline = pending.find('\n')) != std::string::npos) {
      const std::string command = pending.substr(0, newline);
      pending.erase(0, newline + 1);
      char verb[16] = {};
      int count = 0;
      if (std::sscanf(command.c_str(), "%15s %d", verb, &count) < 1) continue;
      const std::uint64_t xrunsBefore = xruns.load();
      if (std::strcmp(verb, "quit") == 0) {
        quit = true;
        break;
      } else if (!haveKeyboard) {
        Line("missing keyboard (no X display with XTEST)");
      } else if (std::strcmp(verb, "midi") == 0) {
        MidiRounds(count, keyboard, *direct);
      } else if (std::strcmp(verb, "audio") == 0) {
        // Only while measuring: its period work would weigh on the other figures.
        DirectSynth direct;
        if (direct.Open(std::string(name) + "-synth", soundFont)) {
          AudioRounds(count, keyboard, direct);
        } else {
          Line("missing direct synthesizer");
        }
      } else {
        Line("missing command " + command);
      }
      Line("done " + std::string(verb) + " xruns=" + std::to_string(xruns.load() - xrunsBefore) +
           " dropped=" + std::to_string(dropped.load()));
    }
    if (quit) break;
  }
  direct.reset();
  jack_deactivate(client);
  jack_client_close(client);
  jack_ringbuffer_free(ring);
  return 0;
}
