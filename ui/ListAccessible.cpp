#include "ui/ListAccessible.h"

#include "ui/ListBox.h"

namespace tastiva {

QAccessibleInterface* ListAccessible::Create(const QString&, QObject* object) {
  static bool askingQt = false;
  if (askingQt || dynamic_cast<ListBox*>(object) == nullptr) return nullptr;
  // Qt's own interface, made by the factories after this one; the cache keeps both for the
  // list and answers with the one made last, this.
  askingQt = true;
  QAccessibleInterface* qt = QAccessible::queryAccessibleInterface(object);
  askingQt = false;
  return qt ? new ListAccessible(qt) : nullptr;
}

QString ListAccessible::text(QAccessible::Text t) const {
  if (t != QAccessible::Accelerator) return qt_->text(t);
  return static_cast<ListBox*>(object())->Shortcut().toString(QKeySequence::NativeText);
}

void* ListAccessible::interface_cast(QAccessible::InterfaceType type) {
  if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
  return qt_->interface_cast(type);
}

void ListAccessible::doAction(const QString& actionName) {
  if (actionName == setFocusAction())
    static_cast<ListBox*>(object())->setFocus(Qt::OtherFocusReason);
}

QStringList ListAccessible::keyBindingsForAction(const QString& actionName) const {
  if (actionName != setFocusAction()) return {};
  return {text(QAccessible::Accelerator)};
}

}  // namespace tastiva
