#pragma once

#include <QKeyEvent>
#include <QObject>
#include <array>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "ui/Layout.h"

namespace tastiva {

class KeyButton;
class MainWindowEvents;

// What is held on the main window when it loses the input. Another window taking the keyboard
// releases the computer keys held (Form_Deactivate), since their releases will go there. One
// of the program's own modal boxes releases nothing while it is open: the key and mouse
// button releases that reach the box instead are handed to the window once no box is open,
// so a refused note-off opens its box after the first one, never inside it.
class HeldInput final : public QObject {
 public:
  using Keys = std::array<KeyButton*, layout::kKeyCount>;
  HeldInput(QWidget& window, const Keys& keys);
  ~HeldInput() override;

  void SetEvents(MainWindowEvents* events) { events_ = events; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class BoxWatch;
  void HandOver();

  QWidget& window_;
  Keys keys_;
  MainWindowEvents* events_ = nullptr;
  std::unique_ptr<BoxWatch> boxWatch_;
  bool blocked_ = false;
  // A box opened since the window last had the keyboard: the window's deactivation is the
  // box's doing, also when it is reported only after the box has closed.
  bool boxSinceActive_ = false;
  // While blocked: the application lost the keyboard to another program.
  bool leftProgram_ = false;
  std::vector<std::unique_ptr<QKeyEvent>> releases_;
  std::set<quint64> pressedInBox_;
  // Key index and button of each mouse press on a key not yet released.
  std::set<std::pair<int, Qt::MouseButton>> mouseHeld_;
};

}  // namespace tastiva
