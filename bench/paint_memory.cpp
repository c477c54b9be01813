// Memory over a long run of key presses under each style: the real main window and its
// behaviour on the offscreen platform, the recording MIDI backend behind them, every press and
// release a key event on the focused key followed by the repaint it causes. One child process
// per style, so one style's heap does not carry into the next.
//
//   paint_memory [PRESSES]   (default 200000 per style)
//
// Prints one line per sample: style, presses so far, VmRSS and heap in use (KB), then per
// style the growth from the end of the warm-up (the first tenth) to the end.
#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QStyle>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/MainForm.h"
#include "midi/MIDI_CMD.h"
#include "midi/MIDI_OUT.h"
#include "midi/recording/RecordingPlatform.h"
#include "ui/KeyCodes.h"
#include "ui/MainWindow.h"
#include "ui/assets/Assets.h"

namespace tastiva {
namespace {

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

long VmRssKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

long HeapKb() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
}

// The XKB keycodes of the 32 mapped keys, left to right.
constexpr quint32 kKeycodes[] = {24, 11, 25, 12, 26, 13, 27, 52, 39, 53, 40, 54, 55, 42, 56, 43,
                                 57, 44, 58, 59, 46, 60, 47, 61, 30, 17, 31, 18, 32, 19, 33, 34};

int Run(const char* style, long presses, int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setStyle(style);
  InitAssets();
  RecordingPlatform platform;
  platform.devices = {"Built-in Synthesizer", "Port A"};
  NoBox box;
  QuietDesktop desktop;
  MIDI_OUT out(platform, box);
  MIDI_CMD cmd(out);
  MainWindow window;
  MainForm form(window, out, cmd, desktop);
  window.SetEvents(&form);
  form.Form_Load();
  window.show();
  QApplication::setActiveWindow(&window);
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  window.key(0).setFocus();
  if (PlatformNativeKeys() != NativeKeys::Xkb) {
    std::fprintf(stderr, "paint_memory: XKB key codes expected\n");
    return 1;
  }

  const long step = presses / 20;
  long warmRss = 0, warmHeap = 0;
  for (long n = 1; n <= presses; ++n) {
    const quint32 code = kKeycodes[n % 32];
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
      QKeyEvent event(type, Qt::Key_unknown, Qt::NoModifier, code, 0, 0);
      QApplication::sendEvent(QApplication::focusWidget(), &event);
      QApplication::processEvents();  // the repaint
    }
    if (n % step == 0) {
      if (platform.Log().size() < static_cast<std::size_t>(2 * step)) {
        std::fprintf(stderr, "paint_memory: the keys sent %zu messages\n", platform.Log().size());
        return 1;
      }
      platform.ClearLog();
      const long rss = VmRssKb(), heap = HeapKb();
      std::printf("%s %ld %ld %ld\n", style, n, rss, heap);
      if (n == 2 * step) warmRss = rss, warmHeap = heap;
      if (n == presses) {
        std::printf("# %s: after warm-up %+ld KB VmRSS, %+ld KB heap over %ld presses\n", style,
                    rss - warmRss, heap - warmHeap, presses - 2 * step);
      }
      std::fflush(stdout);
    }
  }
  return 0;
}

}  // namespace
}  // namespace tastiva

int main(int argc, char** argv) {
  const long presses = argc > 1 ? std::atol(argv[1]) : 200000;
  if (presses < 20) return 2;
  std::printf("# style presses vmrss_kb heap_kb\n");
  std::fflush(stdout);
  int status = 0;
  for (const char* style : {"Fusion", "Windows"}) {
    const pid_t child = fork();
    if (child == 0) std::_Exit(tastiva::Run(style, presses, argc, argv));
    int childStatus = 0;
    waitpid(child, &childStatus, 0);
    if (!WIFEXITED(childStatus) || WEXITSTATUS(childStatus) != 0) status = 1;
  }
  return status;
}
