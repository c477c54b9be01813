/* Starts a program and times exec -> the map of its first top-level window, then optionally
 * samples its memory and CPU use before ending it.
 *
 * usage: map_wait [-e NAME=VALUE]... [--hold S] [--cpu S] [--timeout S] -- PROGRAM [ARGS...]
 *   -e        set in the program's environment only
 *   --hold S  keep the program S seconds after exec, then read its VmRSS
 *   --cpu S   after the hold, count its CPU ticks (utime+stime) over S more seconds
 * Prints one line: map_ms=12.345 cpu_ms=N window=0x... title=... [rss_kb=N shmem_kb=N]
 * [cpu_ticks=N]; cpu_ms is the CPU time its threads had used when the window was mapped.
 * With no window manager the program's top-level windows are children of the root window,
 * so SubstructureNotify on the root sees their MapNotify. */
#define _GNU_SOURCE
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dirent.h>
#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Now(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return (double)ts.tv_sec + (double)ts.tv_nsec / 1e9;
}

static void SleepUntil(double when) {
  for (;;) {
    const double left = when - Now();
    if (left <= 0) return;
    struct timespec ts = {(time_t)left, (long)((left - (double)(time_t)left) * 1e9)};
    nanosleep(&ts, NULL);
  }
}

/* A "Name: N kB" field of /proc/PID/status, or -1. */
static long StatusKb(pid_t pid, const char* name) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/status", (int)pid);
  FILE* f = fopen(path, "r");
  if (!f) return -1;
  char line[256];
  long kb = -1;
  const size_t length = strlen(name);
  while (fgets(line, sizeof line, f)) {
    if (strncmp(line, name, length) == 0 && line[length] == ':') {
      kb = atol(line + length + 1);
      break;
    }
  }
  fclose(f);
  return kb;
}

/* utime + stime in clock ticks; the command name may hold spaces, so parse after its ')'. */
static long CpuTicks(pid_t pid) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/stat", (int)pid);
  FILE* f = fopen(path, "r");
  if (!f) return -1;
  char buf[1024];
  const size_t n = fread(buf, 1, sizeof buf - 1, f);
  fclose(f);
  buf[n] = '\0';
  const char* p = strrchr(buf, ')');
  if (!p) return -1;
  unsigned long utime = 0, stime = 0;
  /* Fields 3..13 precede utime (14) and stime (15). */
  if (sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2) {
    return -1;
  }
  return (long)(utime + stime);
}

/* CPU time of all its threads so far, in ms (per-thread run time in ns from schedstat). */
static double CpuMs(pid_t pid) {
  char path[64];
  snprintf(path, sizeof path, "/proc/%d/task", (int)pid);
  DIR* tasks = opendir(path);
  if (!tasks) return -1;
  double ns = 0;
  struct dirent* entry;
  while ((entry = readdir(tasks))) {
    if (entry->d_name[0] == '.') continue;
    char stat[300];
    snprintf(stat, sizeof stat, "/proc/%d/task/%s/schedstat", (int)pid, entry->d_name);
    FILE* f = fopen(stat, "r");
    if (!f) continue;
    double run = 0;
    if (fscanf(f, "%lf", &run) == 1) ns += run;
    fclose(f);
  }
  closedir(tasks);
  return ns / 1e6;
}

/* The window's _NET_WM_PID, or 0 when it has none. */
static long WindowPid(Display* display, Window window) {
  const Atom atom = XInternAtom(display, "_NET_WM_PID", True);
  if (atom == None) return 0;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = NULL;
  long pid = 0;
  if (XGetWindowProperty(display, window, atom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data && format == 32 && count == 1) {
    pid = *(long*)data;
  }
  if (data) XFree(data);
  return pid;
}

static void Stop(pid_t pid) {
  kill(pid, SIGTERM);
  const double deadline = Now() + 3.0;
  while (Now() < deadline) {
    if (waitpid(pid, NULL, WNOHANG) == pid) return;
    usleep(10000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, NULL, 0);
}

static int Usage(void) {
  fprintf(stderr,
          "usage: map_wait [-e NAME=VALUE]... [--hold S] [--cpu S] [--timeout S] -- PROGRAM "
          "[ARGS...]\n");
  return 2;
}

int main(int argc, char** argv) {
  double hold = 0, cpu = 0, timeout = 20;
  char* env[32];
  int envCount = 0;
  int i = 1;
  for (; i < argc; ++i) {
    if (strcmp(argv[i], "--") == 0) {
      ++i;
      break;
    }
    if (i + 1 >= argc) return Usage();
    if (strcmp(argv[i], "-e") == 0 && envCount < 32) {
      env[envCount++] = argv[++i];
    } else if (strcmp(argv[i], "--hold") == 0) {
      hold = atof(argv[++i]);
    } else if (strcmp(argv[i], "--cpu") == 0) {
      cpu = atof(argv[++i]);
    } else if (strcmp(argv[i], "--timeout") == 0) {
      timeout = atof(argv[++i]);
    } else {
      return Usage();
    }
  }
  if (i >= argc) return Usage();

  Display* display = XOpenDisplay(NULL);
  if (!display) {
    fprintf(stderr, "map_wait: cannot open display\n");
    return 1;
  }
  const Window root = DefaultRootWindow(display);
  /* Selected before the program exists, so no map can be missed. */
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  /* The child writes its exec moment here. */
  double* start =
      mmap(NULL, sizeof *start, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (start == MAP_FAILED) return 1;
  *start = 0;

  const pid_t pid = fork();
  if (pid < 0) return 1;
  if (pid == 0) {
    close(ConnectionNumber(display));
    for (int e = 0; e < envCount; ++e) putenv(env[e]);
    *start = Now();
    execvp(argv[i], argv + i);
    fprintf(stderr, "map_wait: cannot run %s: %s\n", argv[i], strerror(errno));
    _exit(127);
  }

  const int fd = ConnectionNumber(display);
  const double deadline = Now() + timeout;
  Window mapped = 0;
  double mappedAt = 0;
  double cpuAtMap = -1;
  while (!mapped) {
    while (!mapped && XPending(display) > 0) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != MapNotify || event.xmap.event != root || event.xmap.override_redirect) {
        continue;
      }
      const double at = Now();
      cpuAtMap = CpuMs(pid);
      const long owner = WindowPid(display, event.xmap.window);
      if (owner != 0 && owner != pid) continue;  // another client's window
      mapped = event.xmap.window;
      mappedAt = at;
    }
    if (mapped) break;
    if (waitpid(pid, NULL, WNOHANG) == pid) {
      fprintf(stderr, "map_wait: %s exited before mapping a window\n", argv[i]);
      return 1;
    }
    const double left = deadline - Now();
    if (left <= 0) {
      fprintf(stderr, "map_wait: no window within %.0f s\n", timeout);
      Stop(pid);
      return 1;
    }
    fd_set fds;
    FD_ZERO(&fds);
    FD_SET(fd, &fds);
    struct timeval tv = {0, 50000};
    select(fd + 1, &fds, NULL, NULL, &tv);
  }

  char* title = NULL;
  XFetchName(display, mapped, &title);
  printf("map_ms=%.3f cpu_ms=%.1f window=0x%lx title=%s", (mappedAt - *start) * 1e3, cpuAtMap,
         (unsigned long)mapped, title ? title : "");
  if (title) XFree(title);

  if (hold > 0 || cpu > 0) {
    SleepUntil(*start + hold);
    /* Shared memory apart: JACK clients map (and lock) the server's shared segments. */
    printf(" rss_kb=%ld shmem_kb=%ld", StatusKb(pid, "VmRSS"), StatusKb(pid, "RssShmem"));
    if (cpu > 0) {
      const long before = CpuTicks(pid);
      SleepUntil(*start + hold + cpu);
      const long after = CpuTicks(pid);
      printf(" cpu_ticks=%ld", before < 0 || after < 0 ? -1 : after - before);
    }
  }
  printf("\n");
  fflush(stdout);
  Stop(pid);
  XCloseDisplay(display);
  return 0;
}
