#include "ui/FrontDesk.h"

#include <QApplication>
#include <QSocketNotifier>

#include "ui/InstanceCall.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tastiva {

#ifdef TASTIVA_HAVE_XCB
void ActivateOnX11(WId window);  // FrontDeskX11.cpp
#endif

FrontDesk::FrontDesk(QWidget& window, InstanceCall& call)
    : QObject(&window), window_(window), call_(call) {
#ifdef _WIN32
  InstanceCall::MarkWindow(static_cast<std::intptr_t>(window_.winId()));
  QCoreApplication::instance()->installNativeEventFilter(this);
#else
  if (call_.Descriptor() < 0) return;
  auto* notifier = new QSocketNotifier(call_.Descriptor(), QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    if (call_.Answer()) BringToFront(window_);
  });
#endif
}

FrontDesk::~FrontDesk() {
#ifdef _WIN32
  QCoreApplication::instance()->removeNativeEventFilter(this);
#endif
}

bool FrontDesk::nativeEventFilter(const QByteArray&, [[maybe_unused]] void* message, qintptr*) {
#ifdef _WIN32
  if (static_cast<MSG*>(message)->message != InstanceCall::Message()) return false;
  BringToFront(window_);
  return true;
#else
  return false;
#endif
}

void BringToFront(QWidget& window) {
  QWidget* target = QApplication::activeModalWidget();
  if (target == nullptr) target = &window;
  // Still starting up: it shows and takes the keyboard by itself.
  if (!target->isVisible()) return;
  if (target->isMinimized()) target->showNormal();
  target->raise();
#ifdef TASTIVA_HAVE_XCB
  if (QGuiApplication::platformName() == "xcb") {
    ActivateOnX11(target->winId());
    return;
  }
#endif
  target->activateWindow();
}

}  // namespace tastiva
