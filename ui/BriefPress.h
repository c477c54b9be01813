#pragma once

#include <QObject>
#include <QTimer>
#include <array>

#include "ui/Layout.h"

namespace tastiva {

class KeyButton;
class MainWindowEvents;

// The screen reader's Press on a key: the key played as the mouse plays it, held long enough
// to be heard and drawn pressed meanwhile. Anything that could meet the held note first ends
// it at once: real input on the keys, another Press, the window losing the keyboard; a box
// opened meanwhile ends it once closed. So its release always comes as the mouse's would, and
// never after another release of the same note.
class BriefPress final : public QObject {
 public:
  static constexpr int kMilliseconds = 250;
  using Keys = std::array<KeyButton*, layout::kKeyCount>;

  BriefPress(QWidget& window, const Keys& keys);

  void SetEvents(MainWindowEvents* events);
  // A key already held (from the keyboard or the mouse) sounds already: it is left alone.
  void Press(KeyButton& key);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Release();
  void ReleaseUnlessBoxed();

  QWidget& window_;
  MainWindowEvents* events_ = nullptr;
  KeyButton* held_ = nullptr;
  QTimer timer_;
};

}  // namespace tastiva
