#include "ui/ListBox.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QShortcut>

#include "base/RuntimeError.h"
#include "ui/KeyButton.h"
#include "ui/KeyCodes.h"
#include "ui/ListAccessible.h"
#include "ui/Twips.h"

namespace tastiva {

ListBox::ListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSortingEnabled(false);
  setUniformItemSizes(true);
  // A horizontal scroll bar would cover the second of the device list's two rows; port names
  // differ at their ends, so they are shortened in the middle.
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTextElideMode(Qt::ElideMiddle);
  static const bool accessible = (QAccessible::installFactory(&ListAccessible::Create), true);
  (void)accessible;
  connect(this, &QListWidget::currentRowChanged, this, [this](int) {
    if (!selectingByProgram_) Click();
  });
  // Clicks and keys make the entry they select current, which runs Click; assistive
  // technology only selects. So selections are looked at once complete: they may clear
  // first, and a click makes current before it selects.
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    if (selectingByProgram_ || checkQueued_) return;
    checkQueued_ = true;
    QMetaObject::invokeMethod(
        this, [this] { SelectedElsewhere(); }, Qt::QueuedConnection);
  });
}

void ListBox::Click() {
  clicked_ = true;
  if (onClick) onClick();
}

void ListBox::SelectedElsewhere() {
  checkQueued_ = false;
  const QModelIndexList selected = selectionModel()->selectedIndexes();
  selectingByProgram_ = true;
  if (selected.isEmpty() && currentRow() >= 0) {
    selectionModel()->select(currentIndex(), QItemSelectionModel::ClearAndSelect);  // one stays
  }
  const bool chosen = selected.size() == 1 && selected.constFirst().row() != currentRow();
  if (chosen) {
    selectionModel()->setCurrentIndex(selected.constFirst(), QItemSelectionModel::NoUpdate);
    scrollToItem(item(currentRow()));
  }
  selectingByProgram_ = false;
  if (chosen) Click();
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

void ListBox::SetShortcut(const QKeySequence& keys) {
  shortcut_ = keys;
  auto* shortcut = new QShortcut(keys, window());
  connect(shortcut, &QShortcut::activated, this, [this] { setFocus(Qt::ShortcutFocusReason); });
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
  clicked_ = false;
  QListWidget::mousePressEvent(event);
  // A press on the entry already selected changes nothing in the list, yet it is the user's
  // choice all the same: "choose it again" must act.
  QListWidgetItem* pressed = itemAt(event->position().toPoint());
  if (!clicked_ && pressed != nullptr && pressed == currentItem()) Click();
}

// The second press of a double click is a press too, on the list as on the keys.
void ListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
}

QItemSelectionModel::SelectionFlags ListBox::selectionCommand(const QModelIndex& index,
                                                              const QEvent* event) const {
  // Ctrl+click and Ctrl+Space would deselect the entry: select it instead.
  QItemSelectionModel::SelectionFlags flags = QListWidget::selectionCommand(index, event);
  if (flags & (QItemSelectionModel::Deselect | QItemSelectionModel::Toggle)) {
    flags &= ~(QItemSelectionModel::Deselect | QItemSelectionModel::Toggle);
    flags |= QItemSelectionModel::ClearAndSelect;
  }
  return flags;
}

}  // namespace tastiva
