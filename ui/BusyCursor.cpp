#include "ui/BusyCursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>

#include <atomic>

namespace tastiva {

namespace {

std::atomic<int> starts{0};  // starts told and not yet ended
bool shown = false;          // the UI thread's: whether the override cursor is set

// The UI thread: the cursor follows the count, whatever order the notices came in.
void Follow() {
  const bool busy = starts.load() > 0;
  if (busy == shown) return;
  shown = busy;
  if (busy) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

}  // namespace

void BusyCursor::Busy(bool on) {
  starts.fetch_add(on ? 1 : -1);
  if (QCoreApplication* app = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(app, &Follow, Qt::QueuedConnection);
  }
}

}  // namespace tastiva
