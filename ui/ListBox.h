#pragma once

#include <QKeySequence>
#include <QListWidget>
#include <functional>

#include "base/ListControl.h"

namespace tastiva {

// A single-selection, unsorted list. Its selection event (Click) runs for every selection,
// the program's included, and for every press on an entry, the one already selected
// included, and for another entry selected by assistive technology; KeyDown and MouseDown run
// before the list handles the input. Once an entry is selected one stays selected. Names too
// wide for the list are shortened in the middle.
class ListBox final : public QListWidget, public ListControl {
 public:
  explicit ListBox(QWidget* parent);

  std::function<void()> onClick;
  std::function<void(std::int16_t& keyCode, std::int16_t& shift)> onKeyDown;
  std::function<void(std::int16_t button, std::int16_t shift, float x, float y)> onMouseDown;

  void Clear() override;
  void AddItem(const std::string& text) override;
  std::int16_t NewIndex() const override { return newIndex_; }
  std::int32_t ItemData(std::int16_t index) const override;
  void SetItemData(std::int16_t index, std::int32_t value) override;
  std::int16_t ListCount() const override { return static_cast<std::int16_t>(count()); }
  std::int16_t ListIndex() const override { return static_cast<std::int16_t>(currentRow()); }
  void SetListIndex(std::int16_t index) override;

  // Keys that put the focus in the list from anywhere in its window.
  void SetShortcut(const QKeySequence& keys);
  const QKeySequence& Shortcut() const { return shortcut_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event) const override;

 private:
  QListWidgetItem* At(std::int16_t index) const;
  void Click();
  void MouseDown(QMouseEvent* event);
  void SelectedElsewhere();

  QKeySequence shortcut_;
  std::int16_t newIndex_ = -1;
  bool selectingByProgram_ = false;
  bool clicked_ = false;      // the selection event ran during the current press
  bool checkQueued_ = false;  // a look at a selection made without the list's own input
};

}  // namespace tastiva
