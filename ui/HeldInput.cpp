#include "ui/HeldInput.h"

#include <QApplication>
#include <QMouseEvent>
#include <utility>

#include "ui/KeyButton.h"
#include "ui/MainWindowEvents.h"

namespace tastiva {

namespace {

// A physical key: its scan code, else its platform key code, else Qt's key.
quint64 KeyId(const QKeyEvent* e) {
  if (e->nativeScanCode() != 0) return e->nativeScanCode();
  if (e->nativeVirtualKey() != 0) return (quint64{1} << 32) | e->nativeVirtualKey();
  return (quint64{2} << 32) | static_cast<quint32>(e->key());
}

}  // namespace

// Watches the whole program while a box blocks the window: key events reach the box's
// window, and the program may lose the keyboard to another one meanwhile.
class HeldInput::BoxWatch final : public QObject {
 public:
  explicit BoxWatch(HeldInput& held) : held_(held) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // No window of the program has the keyboard any more.
    if (event->type() == QEvent::ActivationChange && QApplication::activeWindow() == nullptr) {
      held_.leftProgram_ = true;
    }
    // Each key event reaches a top-level window once, then the widgets inside it.
    const bool key = event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease;
    if (!key || !watched->isWindowType()) return false;
    const auto* e = static_cast<QKeyEvent*>(event);
    if (e->isAutoRepeat()) return false;
    if (e->type() == QEvent::KeyPress) {
      held_.pressedInBox_.insert(KeyId(e));
    } else if (held_.pressedInBox_.erase(KeyId(e)) == 0) {
      // Pressed on the window before the box opened: the window never saw it let go.
      held_.releases_.emplace_back(e->clone());
    }
    return false;
  }

 private:
  HeldInput& held_;
};

HeldInput::HeldInput(QWidget& window, const Keys& keys)
    : QObject(&window), window_(window), keys_(keys), boxWatch_(std::make_unique<BoxWatch>(*this)) {
  window_.installEventFilter(this);
  for (KeyButton* key : keys_) key->installEventFilter(this);
}

HeldInput::~HeldInput() {
  if (blocked_) qApp->removeEventFilter(boxWatch_.get());
}

bool HeldInput::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &window_) {
    switch (event->type()) {
      case QEvent::WindowBlocked:
        // The program's own modal box: the window will have the input back when it closes.
        if (!blocked_) qApp->installEventFilter(boxWatch_.get());
        blocked_ = boxSinceActive_ = true;
        break;
      case QEvent::WindowUnblocked:
        if (blocked_) qApp->removeEventFilter(boxWatch_.get());
        blocked_ = false;
        // After the handler that opened the box has finished.
        QMetaObject::invokeMethod(this, &HeldInput::HandOver, Qt::QueuedConnection);
        break;
      case QEvent::ActivationChange:
        if (window_.isActiveWindow()) {
          boxSinceActive_ = false;
        } else if (!boxSinceActive_ && events_) {
          events_->Form_Deactivate();
        }
        break;
      default:
        break;
    }
    return false;
  }
  const auto type = event->type();
  if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick ||
      type == QEvent::MouseButtonRelease) {
    const std::pair held{static_cast<KeyButton*>(watched)->Index(),
                         static_cast<QMouseEvent*>(event)->button()};
    if (type == QEvent::MouseButtonRelease) {
      mouseHeld_.erase(held);
    } else {
      mouseHeld_.insert(held);
    }
  }
  return false;
}

void HeldInput::HandOver() {
  // A box opened again meanwhile: its own close hands over.
  if (blocked_ || events_ == nullptr) return;
  const auto releases = std::exchange(releases_, {});
  pressedInBox_.clear();
  for (const auto& release : releases) QCoreApplication::sendEvent(keys_[0], release.get());

  // Qt drops a mouse release while a box blocks the window, but keeps the buttons' state.
  for (const auto& [index, button] : std::set(mouseHeld_)) {
    if (QGuiApplication::mouseButtons().testFlag(button)) continue;
    mouseHeld_.erase({index, button});
    events_->key_MouseUp(static_cast<std::int16_t>(index), ButtonMask(button), 0, 0, 0);
  }
  if (std::exchange(leftProgram_, false)) events_->Form_Deactivate();
}

}  // namespace tastiva
