#pragma once

#include <QAccessibleInterface>

namespace tastiva {

// A list as assistive technology sees it: Qt's own interface for it, with the list's shortcut
// where Qt puts its name, and a SetFocus action bound to it (Qt gives a list no action, and
// the accessibility bus of Linux reads shortcuts from actions alone).
class ListAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  // Installed once, before the first list is created.
  static QAccessibleInterface* Create(const QString& className, QObject* object);

  bool isValid() const override { return qt_->isValid(); }
  QObject* object() const override { return qt_->object(); }
  QWindow* window() const override { return qt_->window(); }
  QList<QPair<QAccessibleInterface*, QAccessible::Relation>> relations(
      QAccessible::Relation match) const override {
    return qt_->relations(match);
  }
  QAccessibleInterface* focusChild() const override { return qt_->focusChild(); }
  QAccessibleInterface* childAt(int x, int y) const override { return qt_->childAt(x, y); }
  QAccessibleInterface* parent() const override { return qt_->parent(); }
  QAccessibleInterface* child(int index) const override { return qt_->child(index); }
  int childCount() const override { return qt_->childCount(); }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return qt_->indexOfChild(child);
  }
  QString text(QAccessible::Text t) const override;
  void setText(QAccessible::Text t, const QString& text) override { qt_->setText(t, text); }
  QRect rect() const override { return qt_->rect(); }
  QAccessible::Role role() const override { return qt_->role(); }
  QAccessible::State state() const override { return qt_->state(); }
  QColor foregroundColor() const override { return qt_->foregroundColor(); }
  QColor backgroundColor() const override { return qt_->backgroundColor(); }
  void* interface_cast(QAccessible::InterfaceType type) override;

  QStringList actionNames() const override { return {setFocusAction()}; }
  void doAction(const QString& actionName) override;
  QStringList keyBindingsForAction(const QString& actionName) const override;

 private:
  explicit ListAccessible(QAccessibleInterface* qt) : qt_(qt) {}
  // Qt's cache owns it, as it owns this one, and deletes both with the list.
  QAccessibleInterface* qt_;
};

}  // namespace tastiva
