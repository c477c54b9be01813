#include "ui/KeyButton.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/BriefPress.h"
#include "ui/KeyAccessible.h"
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

// Fixed, whatever the palette: the faces are always white and black, and every caption stays
// at 4.5:1 or more against its face, pressed or not.
struct KeyColours {
  QColor face, pressedFace, outline, light, shadow, pressedShadow, caption;
};
const KeyColours kWhiteKey{{255, 255, 255}, {214, 222, 236}, {122, 122, 122}, {255, 255, 255},
                           {208, 208, 208}, {160, 168, 184}, {0, 0, 0}};
const KeyColours kBlackKey{{0, 0, 0}, {70, 70, 78}, {0, 0, 0},      {88, 88, 88},
                           {0, 0, 0}, {24, 24, 28}, {255, 255, 255}};

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
  static const bool accessible = (QAccessible::installFactory(&KeyAccessible::Create), true);
  (void)accessible;
}

void KeyButton::SetValue(std::int16_t value) {
  if (value == value_) return;
  const bool wasPressed = value_ == 1;
  value_ = value;
  update();  // drawn right after the handler: the note must not wait for the paint
  if (wasPressed != (value_ == 1)) NotifyPressedChanged(this);
}

void KeyButton::PressBriefly() {
  if (briefPress_) briefPress_->Press(*this);
}

bool KeyButton::hitButton(const QPoint& pos) const {
  return rect().contains(pos);
}

void KeyButton::paintEvent(QPaintEvent*) {
  // The face is drawn here in fixed colours, not by the style: some styles (Windows Vista's)
  // ignore the palette for a button's bevel, and others cache bevels keyed by the palette.
  const KeyColours& c = black_ ? kBlackKey : kWhiteKey;
  const bool pressed = value_ == 1;
  const QRect frame = rect().adjusted(0, 0, -1, -1);
  QPainter painter(this);
  painter.fillRect(rect(), pressed ? c.pressedFace : c.face);
  painter.setPen(c.outline);
  painter.drawRect(frame);
  const QRect inner = frame.adjusted(1, 1, -1, -1);
  if (pressed) {  // pushed in: shadow along the top and left
    painter.setPen(c.pressedShadow);
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.drawLine(inner.topLeft(), inner.bottomLeft());
  } else {  // raised: light on the top and left, shadow on the bottom and right
    painter.setPen(c.light);
    painter.drawLine(inner.topLeft(), inner.topRight());
    painter.drawLine(inner.topLeft(), inner.bottomLeft());
    painter.setPen(c.shadow);
    painter.drawLine(inner.bottomLeft(), inner.bottomRight());
    painter.drawLine(inner.topRight(), inner.bottomRight());
  }

  const int shift = pressed ? 1 : 0;  // pushed-in content moves by a pixel, as buttons do
  const QRect captionRect(shift, height() - 22 + shift, width(), 18);
  if (pressed && !picture_.isNull()) {
    // The hand fills the picture's left 17 columns: centre those on the key.
    const int x = (width() - 17) / 2 + shift;
    painter.drawPixmap(x, captionRect.top() - picture_.height() - 2, picture_);
  }
  painter.setPen(c.caption);
  painter.setFont(font());
  painter.drawText(captionRect, Qt::AlignHCenter | Qt::AlignVCenter, text());

  // The focus shows once the user moves it with the keyboard, as most styles do.
  if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
    painter.setPen(QPen(c.caption, 1, Qt::DotLine));
    painter.drawRect(captionRect.adjusted(2, 0, -3, -1));
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
