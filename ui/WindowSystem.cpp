#include "ui/WindowSystem.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#if !defined(_WIN32) && !defined(__APPLE__)
#include <sys/stat.h>
#endif

namespace tastiva {

namespace {

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "Tastiva: cannot show its window: %s\n", why.c_str());
  std::fflush(stderr);
  std::_Exit(1);
}

#if !defined(_WIN32) && !defined(__APPLE__)
bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}
#endif

struct Held {
  QtMsgType type;
  std::string category;
  QString text;
};
std::vector<Held> held;
QtMessageHandler previous = nullptr;
QString firstWarning;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    // Qt's own text only suggests reinstalling; what the platform said first is the reason.
    Fail((firstWarning.isEmpty() ? text.section('\n', 0, 0) : firstWarning).toStdString());
  }
  if ((type == QtWarningMsg || type == QtCriticalMsg) && firstWarning.isEmpty()) {
    firstWarning = text;
  }
  held.push_back({type, context.category ? context.category : "default", text});
}

}  // namespace

void RequireDisplay() {
#if !defined(_WIN32) && !defined(__APPLE__)
  // A platform the user chose is left to Qt, and so is Wayland's unnamed default socket.
  if (Named("QT_QPA_PLATFORM") || Named("DISPLAY") || Named("WAYLAND_DISPLAY")) return;
  if (Named("XDG_RUNTIME_DIR")) {
    struct stat st {};
    const std::string socket = std::string(std::getenv("XDG_RUNTIME_DIR")) + "/wayland-0";
    if (::stat(socket.c_str(), &st) == 0) return;
  }
  Fail("no display (neither DISPLAY nor WAYLAND_DISPLAY is set)");
#endif
}

WindowSystemGuard::WindowSystemGuard() {
  previous = qInstallMessageHandler(HoldMessage);
}

WindowSystemGuard::~WindowSystemGuard() {
  qInstallMessageHandler(previous);
  for (const Held& m : held) {
    const QMessageLogContext context(nullptr, 0, nullptr, m.category.c_str());
    if (previous) {
      previous(m.type, context, m.text);
    } else {
      qt_message_output(m.type, context, m.text);
    }
  }
  held.clear();
}

}  // namespace tastiva
