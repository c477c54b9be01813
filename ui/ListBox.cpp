#include "ui/ListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>

#include "ui/KeyButton.h"
#include "ui/KeyCodes.h"
#include "ui/Twips.h"
#include "base/RuntimeError.h"

namespace tastiva {

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setUniformItemSizes(true);
  connect(this, &QListWidget::currentRowChanged, this, [this](int) {
    if (!selectingByProgram_) Click();
  });
}

void ListBox::Click() {
  if (onClick) onClick();
}

QListWidgetItem* ListBox::At(std::int16_t index) const {
  QListWidgetItem* entry = index >= 0 ? item(index) : nullptr;
  if (entry == nullptr) {
    throw RuntimeError("Invalid list position " + std::to_string(index) + " in " +
                       objectName().toStdString());
  }
  return entry;
}

void ListBox::Clear() {
  selectingByProgram_ = true;
  clear();
  selectingByProgram_ = false;
  newIndex_ = -1;
}

void ListBox::AddItem(const std::string& text) {
  // The list shows a text up to its first NUL.
  addItem(QString::fromLocal8Bit(text.c_str()));
  newIndex_ = static_cast<std::int16_t>(count() - 1);
}

std::int32_t ListBox::ItemData(std::int16_t index) const {
  return At(index)->data(Qt::UserRole).toInt();
}

void ListBox::SetItemData(std::int16_t index, std::int32_t value) {
  At(index)->setData(Qt::UserRole, value);
}

void ListBox::SetListIndex(std::int16_t index) {
  if (index != -1) At(index);
  selectingByProgram_ = true;
  setCurrentRow(index);
  if (index != -1) scrollToItem(item(index));
  selectingByProgram_ = false;
  Click();
}

void ListBox::keyPressEvent(QKeyEvent* event) {
  if (onKeyDown) {
    std::int16_t keyCode =
        VirtualKeyCode({event->key(), event->modifiers().testFlag(Qt::KeypadModifier),
                        event->nativeScanCode(), event->nativeVirtualKey()},
                       PlatformNativeKeys());
    std::int16_t shift = ShiftMask(event->modifiers());
    onKeyDown(keyCode, shift);
  }
  QListWidget::keyPressEvent(event);  // the keystroke is not cancelled
}

void ListBox::MouseDown(QMouseEvent* event) {
  if (onMouseDown) {
    onMouseDown(ButtonMask(event->button()), ShiftMask(event->modifiers()),
                static_cast<float>(PixelsToTwips(event->position().x())),
                static_cast<float>(PixelsToTwips(event->position().y())));
  }
}

void ListBox::mousePressEvent(QMouseEvent* event) {
  MouseDown(event);
  QListWidget::mousePressEvent(event);
}

// The second press of a double click is a press too: the focus goes back all the same.
void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  MouseDown(event);
  QListWidget::mouseDoubleClickEvent(event);
}

}  // namespace tastiva
