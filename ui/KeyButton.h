#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <cstdint>

namespace tastiva {

class BriefPress;
class MainWindowEvents;

// One on-screen key: a check box drawn as a push button. Its state (0 released, 1 pressed)
// changes only when the program sets it; clicks, Space and Enter do not toggle it.
class KeyButton final : public QAbstractButton {
 public:
  KeyButton(std::int16_t index, bool black, QWidget* parent);

  std::int16_t Value() const { return value_; }
  void SetValue(std::int16_t value);

  void SetEvents(MainWindowEvents* events) { events_ = events; }
  void SetPicture(const QPixmap& picture) { picture_ = picture; }
  std::int16_t Index() const { return index_; }
  bool IsBlack() const { return black_; }

  // The screen reader's Press: the key sounds for a moment, as BriefPress says.
  void SetBriefPress(BriefPress* press) { briefPress_ = press; }
  void PressBriefly();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  bool hitButton(const QPoint& pos) const override;

 private:
  std::int16_t index_;
  bool black_;
  std::int16_t value_ = 0;
  QPixmap picture_;
  MainWindowEvents* events_ = nullptr;
  BriefPress* briefPress_ = nullptr;
};

// Mouse button and shift-state masks as event handlers receive them.
std::int16_t ButtonMask(Qt::MouseButton button);
std::int16_t ShiftMask(Qt::KeyboardModifiers modifiers);

}  // namespace tastiva
