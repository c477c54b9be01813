// Starts a program that plays through JACK and times exec -> the map of its first top-level
// window and exec -> its first sound: a JACK client of our own connects the program's audio
// ports to its inputs as soon as they appear, then plays one note on it, and takes the first
// sample above the threshold. Then it samples the program's memory and CPU use and ends it.
//
// usage: sound_ready [-e NAME=VALUE]... [--no-window] [--ports REGEX --key KEYCODE [--at-map] |
//                    --ports REGEX --say ON --unsay OFF] [--hold S] [--cpu S] [--switch X,Y]
//                    [--timeout S] -- PROGRAM [ARGS...]
//   --no-window    the program has no window to wait for
//   --ports REGEX  the program's audio output ports (jack_get_ports' pattern), left then right
//   --key KEYCODE  the note: that X key pressed (XTEST) in the program's window, released
//                  once heard
//   --at-map       the key pressed as soon as the window maps, not once the ports are there
//   --say, --unsay the note: lines written to the program's stdin
//   --hold S       S seconds after exec, read VmRSS and RssShmem
//   --cpu S        then count the CPU time of its threads over S more seconds
//   --switch X,Y   then, each time once quiet, press the key: key -> first sound; and click at
//                  X,Y in its window (an entry of its instrument list) and press the key at
//                  once: click -> first sound
// Without --key or --say only the window is waited for. Prints one line: map_ms=N ready_ms=N
// [rss_kb=N shmem_kb=N] [cpu_ms=N] [key_ms=N switch_ms=N] (nan or -1 for what did not come). With
// no window manager the program's windows are children of the root window, so SubstructureNotify on
// the root sees their MapNotify; the program keeps its process id through exec, as wrappers that
// exec it do too. The program's stdout goes to /dev/null.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <dirent.h>
#include <jack/jack.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

namespace {

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

long StatusKb(pid_t pid, const char* name) {
  const std::string path = "/proc/" + std::to_string(pid) + "/status";
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return -1;
  char line[256];
  long kb = -1;
  const std::size_t length = std::strlen(name);
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::strncmp(line, name, length) == 0 && line[length] == ':')
      kb = std::atol(line + length + 1);
  }
  std::fclose(f);
  return kb;
}

long WindowPid(Display* display, Window window) {
  const Atom atom = XInternAtom(display, "_NET_WM_PID", True);
  if (atom == None) return 0;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  long pid = 0;
  if (XGetWindowProperty(display, window, atom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr && format == 32 && count == 1) {
    pid = *reinterpret_cast<long*>(data);
  }
  if (data != nullptr) XFree(data);
  return pid;
}

// The JACK side: two inputs, and the moment (CLOCK_MONOTONIC seconds) of the first sample
// above the threshold once armed.
struct Listener {
  jack_client_t* client = nullptr;
  jack_port_t* in[2] = {nullptr, nullptr};
  float threshold = 0.001F;
  double clockOffset = 0;           // CLOCK_MONOTONIC - jack_get_time()
  std::atomic<double> heard{0};     // 0: not yet, since armed
  std::atomic<double> lastLoud{0};  // the last period with a sample above the threshold

  static int Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<Listener*>(arg);
    const double start = static_cast<double>(jack_get_time()) / 1e6 + self->clockOffset;
    const double rate = jack_get_sample_rate(self->client);
    for (jack_port_t* port : self->in) {
      const auto* x = static_cast<const float*>(jack_port_get_buffer(port, frames));
      for (jack_nframes_t i = 0; i < frames; ++i) {
        if (std::fabs(x[i]) > self->threshold) {
          double none = 0;
          self->heard.compare_exchange_strong(none, start + i / rate);
          self->lastLoud.store(start);
          break;
        }
      }
    }
    return 0;
  }
};

// The run time of all its threads so far (schedstat, nanoseconds), in ms: finer than ticks.
double CpuMs(pid_t pid) {
  const std::string dir = "/proc/" + std::to_string(pid) + "/task/";
  DIR* tasks = opendir(dir.c_str());
  if (tasks == nullptr) return -1;
  double ns = 0;
  while (const dirent* entry = readdir(tasks)) {
    if (entry->d_name[0] == '.') continue;
    std::FILE* f = std::fopen((dir + entry->d_name + "/schedstat").c_str(), "r");
    if (f == nullptr) continue;
    double run = 0;
    if (std::fscanf(f, "%lf", &run) == 1) ns += run;
    std::fclose(f);
  }
  closedir(tasks);
  return ns / 1e6;
}

void SleepUntil(double when) {
  while (Now() < when) usleep(2000);
}

// Waits until the program's sound has been below the threshold for half a second, then arms
// the listener again; false if it never quiets down.
bool Quiet(Listener& listener) {
  for (const double deadline = Now() + 10; Now() < deadline; usleep(10000)) {
    if (Now() - listener.lastLoud.load() > 0.5) {
      listener.heard.store(0);
      return true;
    }
  }
  return false;
}

void Stop(pid_t pid) {
  kill(pid, SIGTERM);
  for (const double deadline = Now() + 3; Now() < deadline; usleep(10000)) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

int Usage() {
  std::fprintf(stderr,
               "usage: sound_ready [-e NAME=VALUE]... [--no-window] [--ports REGEX --key KEYCODE "
               "[--at-map] "
               "| --ports REGEX --say ON --unsay OFF] [--hold S] [--cpu S] [--switch X,Y] "
               "[--timeout S] -- PROGRAM [ARGS...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<char*> env;
  std::string ports, say, unsay;
  int key = 0;
  bool atMap = false;
  double hold = 0, cpu = 0, timeout = 30;
  int switchX = -1, switchY = -1;
  bool windowed = true;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (i + 1 >= argc) return Usage();
    const std::string option = argv[i];
    const char* value = argv[++i];
    if (option == "-e") {
      env.push_back(const_cast<char*>(value));
    } else if (option == "--ports") {
      ports = value;
    } else if (option == "--key") {
      key = std::atoi(value);
    } else if (option == "--say") {
      say = std::string(value) + "\n";
    } else if (option == "--unsay") {
      unsay = std::string(value) + "\n";
    } else if (option == "--hold") {
      hold = std::atof(value);
    } else if (option == "--cpu") {
      cpu = std::atof(value);
    } else if (option == "--no-window") {
      windowed = false;
      --i;  // takes no value
    } else if (option == "--at-map") {
      atMap = true;
      --i;  // takes no value
    } else if (option == "--switch") {
      if (std::sscanf(value, "%d,%d", &switchX, &switchY) != 2) return Usage();
    } else if (option == "--timeout") {
      timeout = std::atof(value);
    } else {
      return Usage();
    }
  }
  if (++i >= argc) return Usage();
  const bool note = key != 0 || !say.empty();
  signal(SIGPIPE, SIG_IGN);

  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "sound_ready: cannot open display\n");
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  XSelectInput(display, root, SubstructureNotifyMask);  // before the program exists
  XSync(display, False);

  Listener listener;
  if (note) {
    const std::string name = "bench-ready-" + std::to_string(getpid());
    listener.client = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
    if (listener.client == nullptr) {
      std::fprintf(stderr, "sound_ready: no JACK server\n");
      return 1;
    }
    listener.in[0] =
        jack_port_register(listener.client, "left", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    listener.in[1] =
        jack_port_register(listener.client, "right", JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
    jack_set_process_callback(listener.client, &Listener::Process, &listener);
    listener.clockOffset = Now() - static_cast<double>(jack_get_time()) / 1e6;
    if (jack_activate(listener.client) != 0) return 1;
  }

  // Its stdin stays open until it ends (FluidSynth's shell ends at end of input).
  int input[2] = {-1, -1};
  if (pipe(input) != 0) return 1;
  const double start = Now();  // the child's exec follows within microseconds
  const pid_t pid = fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    close(ConnectionNumber(display));
    std::freopen("/dev/null", "w", stdout);  // the measurements' line stays alone
    dup2(input[0], 0);
    close(input[0]);
    close(input[1]);
    for (char* e : env) putenv(e);
    execvp(argv[i], argv + i);
    std::fprintf(stderr, "sound_ready: cannot run %s\n", argv[i]);
    _exit(127);
  }
  close(input[0]);

  double mappedAt = 0;
  Window window = 0;
  bool played = false;
  const char* exitedEarly = nullptr;
  for (const double deadline = start + timeout; Now() < deadline;) {
    while (XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type == MapNotify && event.xmap.event == root && !event.xmap.override_redirect &&
          window == 0 && WindowPid(display, event.xmap.window) == pid) {
        mappedAt = Now();
        window = event.xmap.window;
      }
    }
    if (note && listener.heard.load() == 0) {
      // Ports that come back (a program closing and opening its output) are connected again.
      const char** found =
          jack_get_ports(listener.client, ports.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput);
      int connected = 0;
      for (int p = 0; found != nullptr && found[p] != nullptr && p < 2; ++p) {
        const int error = jack_connect(listener.client, found[p], jack_port_name(listener.in[p]));
        connected += error == 0 || error == EEXIST;
      }
      if (found != nullptr) jack_free(found);
      // Played once the program's output is there: a program that opens it in its start-up
      // handles the key after that.
      if (!played && (connected == 2 || (atMap && key != 0)) && (key == 0 || window != 0)) {
        if (key != 0) {
          XSetInputFocus(display, window, RevertToParent, CurrentTime);
          XTestFakeKeyEvent(display, static_cast<unsigned>(key), True, CurrentTime);
          XFlush(display);
        } else if (write(input[1], say.data(), say.size()) < 0) {
          exitedEarly = "its stdin closed";
        }
        played = true;
      }
    }
    const bool done = (!note || listener.heard.load() != 0) && (window != 0 || !windowed);
    if (done) break;
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      exitedEarly = "it exited";
      break;
    }
    usleep(1000);
  }
  if (exitedEarly != nullptr) {
    std::fprintf(stderr, "sound_ready: %s: %s\n", argv[i], exitedEarly);
    return 1;
  }

  const double heard = listener.heard.load();
  if (played && key != 0) {
    XTestFakeKeyEvent(display, static_cast<unsigned>(key), False, CurrentTime);
    XFlush(display);
  } else if (played && write(input[1], unsay.data(), unsay.size()) < 0) {
    std::fprintf(stderr, "sound_ready: %s: its stdin closed\n", argv[i]);
  }
  std::printf("map_ms=%.3f ready_ms=%.3f", window != 0 ? (mappedAt - start) * 1e3 : NAN,
              heard != 0 ? (heard - start) * 1e3 : NAN);
  if (hold > 0) {
    SleepUntil(start + hold);
    // Shared memory apart: JACK clients map (and lock) the server's shared segments.
    std::printf(" rss_kb=%ld shmem_kb=%ld", StatusKb(pid, "VmRSS"), StatusKb(pid, "RssShmem"));
  }
  if (cpu > 0) {
    const double before = CpuMs(pid);
    SleepUntil(Now() + cpu);
    const double after = CpuMs(pid);
    std::printf(" cpu_ms=%.1f", before < 0 || after < 0 ? NAN : after - before);
  }
  if (switchX >= 0 && key != 0 && heard != 0) {
    // The key alone, then a click on an instrument with the key pressed at once.
    const auto play = [&](bool click) {
      if (!Quiet(listener)) return static_cast<double>(NAN);
      if (click) {
        int x = 0, y = 0;
        Window child;
        XTranslateCoordinates(display, window, root, switchX, switchY, &x, &y, &child);
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XSync(display, False);
      }
      const double begin = Now();
      if (click) {
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
      }
      XTestFakeKeyEvent(display, static_cast<unsigned>(key), True, CurrentTime);
      XFlush(display);
      while (Now() < begin + timeout && listener.heard.load() == 0) usleep(1000);
      const double at = listener.heard.load();
      XTestFakeKeyEvent(display, static_cast<unsigned>(key), False, CurrentTime);
      XFlush(display);
      return at != 0 ? (at - begin) * 1e3 : NAN;
    };
    const double alone = play(false);
    std::printf(" key_ms=%.3f switch_ms=%.3f", alone, play(true));
  }
  std::printf("\n");
  std::fflush(stdout);
  Stop(pid);
  close(input[1]);
  if (listener.client != nullptr) jack_client_close(listener.client);
  XCloseDisplay(display);
  return 0;
}
