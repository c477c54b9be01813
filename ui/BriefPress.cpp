#include "ui/BriefPress.h"

#include <QApplication>
#include <utility>

#include "ui/KeyButton.h"
#include "ui/MainWindowEvents.h"
#include "ui/Twips.h"

namespace tastiva {

namespace {

// A left click in the key's middle.
void Mouse(MainWindowEvents& events, KeyButton& key, bool down) {
  const auto x = static_cast<float>(PixelsToTwips(key.width() / 2.0));
  const auto y = static_cast<float>(PixelsToTwips(key.height() / 2.0));
  const std::int16_t left = ButtonMask(Qt::LeftButton);
  if (down) {
    events.key_MouseDown(key.Index(), left, 0, x, y);
  } else {
    events.key_MouseUp(key.Index(), left, 0, x, y);
  }
}

}  // namespace

BriefPress::BriefPress(QWidget& window, const Keys& keys) : QObject(&window), window_(window) {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &BriefPress::ReleaseUnlessBoxed);
  // Filters run last installed first: these see the input before the window's other watchers.
  window_.installEventFilter(this);
  for (KeyButton* key : keys) key->installEventFilter(this);
}

void BriefPress::SetEvents(MainWindowEvents* events) {
  events_ = events;
  if (!events_) {
    held_ = nullptr;
    timer_.stop();
  }
}

void BriefPress::Press(KeyButton& key) {
  Release();
  if (!events_ || key.Value() == 1) return;
  Mouse(*events_, key, true);  // a refused note opens its box here and waits for it
  held_ = &key;
  timer_.start(kMilliseconds);
}

void BriefPress::ReleaseUnlessBoxed() {
  // A box is open: its close ends the press.
  if (QApplication::activeModalWidget() == nullptr) Release();
}

void BriefPress::Release() {
  timer_.stop();
  if (KeyButton* key = std::exchange(held_, nullptr); key && events_) Mouse(*events_, *key, false);
}

bool BriefPress::eventFilter(QObject* watched, QEvent* event) {
  if (held_ == nullptr) return false;
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
      if (watched != &window_) Release();
      break;
    case QEvent::WindowUnblocked:
      // After the handler that opened the box has finished, before the held input is handed
      // over (queued after this).
      if (watched == &window_) {
        QMetaObject::invokeMethod(this, &BriefPress::ReleaseUnlessBoxed, Qt::QueuedConnection);
      }
      break;
    case QEvent::ActivationChange:
      // Another program took the keyboard (one of ours is a box, ended once it closes).
      if (watched == &window_ && !window_.isActiveWindow() &&
          QApplication::activeModalWidget() == nullptr) {
        Release();
      }
      break;
    default:
      break;
  }
  return false;
}

}  // namespace tastiva
