#include "ui/KeyButton.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/KeyCodes.h"
#include "ui/MainWindowEvents.h"
#include "ui/Twips.h"

namespace tastiva {

namespace {

float TwipsX(const QMouseEvent* e) {
  return static_cast<float>(PixelsToTwips(e->position().x()));
}
float TwipsY(const QMouseEvent* e) {
  return static_cast<float>(PixelsToTwips(e->position().y()));
}

std::int16_t KeyCode(const QKeyEvent* e) {
  return VirtualKeyCode({e->key(), e->modifiers().testFlag(Qt::KeypadModifier), e->nativeScanCode(),
                         e->nativeVirtualKey()},
                        PlatformNativeKeys());
}

}  // namespace

std::int16_t ButtonMask(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return 1;
    case Qt::RightButton:
      return 2;
    case Qt::MiddleButton:
      return 4;
    default:
      return 0;
  }
}

std::int16_t ShiftMask(Qt::KeyboardModifiers modifiers) {
  std::int16_t mask = 0;
  if (modifiers & Qt::ShiftModifier) mask |= 1;
  if (modifiers & Qt::ControlModifier) mask |= 2;
  if (modifiers & Qt::AltModifier) mask |= 4;
  return mask;
}

KeyButton::KeyButton(std::int16_t index, bool black, QWidget* parent)
    : QAbstractButton(parent), index_(index), black_(black) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void KeyButton::SetValue(std::int16_t value) {
  if (value == value_) return;
  value_ = value;
  update();  // drawn right after the handler: the note must not wait for the paint
}

bool KeyButton::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}

void KeyButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  const bool pressed = value_ == 1;
  const QColor face = black_ ? QColor(Qt::black) : QColor(Qt::white);

  QStyleOptionButton option;
  option.initFrom(this);
  option.state |= pressed ? QStyle::State_Sunken : QStyle::State_Raised;
  option.state &= ~QStyle::State_HasFocus;
  option.palette.setColor(QPalette::Button, face);
  painter.fillRect(rect(), face);
  painter.drawControl(QStyle::CE_PushButtonBevel, option);
  if (pressed) {
    // Pushed in: a shade that tells the key sounds, on both white and black keys.
    painter.fillRect(rect().adjusted(2, 2, -2, -2),
                     black_ ? QColor(70, 70, 78) : QColor(214, 222, 236));
  }

  const int shift = pressed ? 1 : 0;  // pushed-in content moves by a pixel, as buttons do
  const QRect captionRect(shift, height() - 22 + shift, width(), 18);
  if (pressed && !picture_.isNull()) {
    // The hand fills the picture's left 17 columns: centre those on the key.
    const int x = (width() - 17) / 2 + shift;
    painter.drawPixmap(x, captionRect.top() - picture_.height() - 2, picture_);
  }
  painter.setPen(black_ ? palette().color(QPalette::HighlightedText)
                        : palette().color(QPalette::ButtonText));
  painter.setFont(font());
  painter.drawText(captionRect, Qt::AlignHCenter | Qt::AlignVCenter, text());

  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = captionRect.adjusted(2, 0, -2, 0);
    focus.backgroundColor = face;
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

void KeyButton::mousePressEvent(QMouseEvent* event) {
  if (events_) {
    events_->key_MouseDown(index_, ButtonMask(event->button()), ShiftMask(event->modifiers()),
                           TwipsX(event), TwipsY(event));
  }
}

// A quick second press arrives as a double click; it is a press all the same.
void KeyButton::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
}

void KeyButton::mouseMoveEvent(QMouseEvent* event) {
  if (events_) {
    events_->key_MouseMove(index_, ButtonMask(event->button()), ShiftMask(event->modifiers()),
                           TwipsX(event), TwipsY(event));
  }
}

void KeyButton::mouseReleaseEvent(QMouseEvent* event) {
  if (events_) {
    events_->key_MouseUp(index_, ButtonMask(event->button()), ShiftMask(event->modifiers()),
                         TwipsX(event), TwipsY(event));
  }
}

void KeyButton::keyPressEvent(QKeyEvent* event) {
  if (events_) events_->key_KeyDown(index_, KeyCode(event), ShiftMask(event->modifiers()));
}

void KeyButton::keyReleaseEvent(QKeyEvent* event) {
  // X11 repeats a held key as release+press pairs; only the last release is real.
  if (event->isAutoRepeat()) return;
  if (events_) events_->key_KeyUp(index_, KeyCode(event), ShiftMask(event->modifiers()));
}

}  // namespace tastiva
