#include "ui/KeyAccessible.h"

#include <array>

#include "ui/KeyButton.h"
#include "ui/Layout.h"

namespace tastiva {

QString NoteName(int note) {
  static constexpr std::array<const char*, 12> kNames{"C",  "C#", "D",  "D#", "E",  "F",
                                                      "F#", "G",  "G#", "A",  "A#", "B"};
  return QString("%1%2").arg(kNames[static_cast<std::size_t>(note % 12)]).arg(note / 12 - 1);
}

void NotifyPressedChanged(KeyButton* key) {
  QAccessible::State changed;
  changed.checked = true;  // the one the AT-SPI bridge forwards
  changed.pressed = true;
  QAccessibleStateChangeEvent event(key, changed);
  QAccessible::updateAccessibility(&event);
}

KeyAccessible::KeyAccessible(KeyButton* key) : QAccessibleWidget(key, QAccessible::Button) {}

QAccessibleInterface* KeyAccessible::Create(const QString&, QObject* object) {
  auto* key = dynamic_cast<KeyButton*>(object);
  return key ? new KeyAccessible(key) : nullptr;
}

KeyButton* KeyAccessible::Key() const {
  return static_cast<KeyButton*>(widget());
}

QString KeyAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Name || !widget()->accessibleName().isEmpty()) {
    return QAccessibleWidget::text(t);
  }
  // Read at every query: the caption follows the keyboard layout.
  return NoteName(Key()->Index() + layout::kFirstNote) + ", key " + Key()->text();
}

QAccessible::State KeyAccessible::state() const {
  QAccessible::State s = QAccessibleWidget::state();
  s.checkable = true;
  s.checked = s.pressed = Key()->Value() == 1;
  return s;
}

QStringList KeyAccessible::actionNames() const {
  return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void KeyAccessible::doAction(const QString& actionName) {
  if (actionName != pressAction()) {
    QAccessibleWidget::doAction(actionName);
    return;
  }
  // After the caller has its answer: the note may show an error box that waits for the user.
  KeyButton* key = Key();
  QMetaObject::invokeMethod(
      key, [key] { key->PressBriefly(); }, Qt::QueuedConnection);
}

}  // namespace tastiva
