#pragma once

#include <QAccessibleWidget>
#include <QString>

namespace tastiva {

class KeyButton;

// A key as assistive technology sees it: named by its note and its caption ("C4, key Z"),
// pressed or released, and played by its Press action as a short click plays it.
class KeyAccessible final : public QAccessibleWidget {
 public:
  explicit KeyAccessible(KeyButton* key);

  QString text(QAccessible::Text t) const override;
  QAccessible::State state() const override;
  QStringList actionNames() const override;
  void doAction(const QString& actionName) override;

  // Installed once, before the first key is created.
  static QAccessibleInterface* Create(const QString& className, QObject* object);

 private:
  KeyButton* Key() const;
};

// "F3", "F#3" ... "C6": the note's name with note 60 as C4.
QString NoteName(int note);

// Tells assistive technology that the key was pressed or released.
void NotifyPressedChanged(KeyButton* key);

}  // namespace tastiva
