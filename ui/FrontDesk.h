#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QWidget>

namespace tastiva {

class InstanceCall;

// The running copy's answer when a second copy calls: the window, or the box open over it,
// comes to the front and takes the keyboard.
class FrontDesk final : public QObject, public QAbstractNativeEventFilter {
 public:
  FrontDesk(QWidget& window, InstanceCall& call);
  ~FrontDesk() override;

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  QWidget& window_;
  InstanceCall& call_;
};

// Brings the window (or the box over it) to the front and gives it the keyboard, as far as the
// window system lets a program: X11 with or without a window manager, Windows once a second
// copy allowed it; on Wayland Qt asks the compositor, which may only mark it as wanting
// attention.
void BringToFront(QWidget& window);

}  // namespace tastiva
