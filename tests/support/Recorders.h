#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/ListControl.h"
#include "base/MessageBox.h"
#include "base/RuntimeError.h"

namespace tastiva::test {

// Keeps every message box instead of showing it.
class RecordingMessageBox final : public MessageBox {
 public:
  struct Box {
    std::string prompt;
    int style;
    std::string title;
  };
  std::vector<Box> boxes;
  std::function<void()> onShow;  // runs while the box would be open

  void MsgBox(const std::string& prompt, int style, const std::string& title) override {
    boxes.push_back({prompt, style, title});
    if (onShow) onShow();
  }
};

// A list control in memory that behaves like the real one: text shown up to its first
// NUL, invalid positions refused.
class RecordingList final : public ListControl {
 public:
  struct Entry {
    std::string text;
    std::int32_t data = 0;
    bool operator==(const Entry&) const = default;
    friend void PrintTo(const Entry& e, std::ostream* os) {
      *os << e.text << " (" << e.data << ")";
    }
  };
  std::vector<Entry> entries;
  std::int16_t index = -1;

  void Clear() override { entries.clear(), index = -1; }
  void AddItem(const std::string& text) override {
    entries.push_back({text.substr(0, text.find('\0'))});
  }
  std::int16_t NewIndex() const override { return static_cast<std::int16_t>(ListCount() - 1); }
  std::int32_t ItemData(std::int16_t i) const override { return At(i).data; }
  void SetItemData(std::int16_t i, std::int32_t value) override { At(i).data = value; }
  std::int16_t ListCount() const override { return static_cast<std::int16_t>(entries.size()); }
  std::int16_t ListIndex() const override { return index; }
  void SetListIndex(std::int16_t i) override { index = i == -1 ? i : (At(i), i); }

 private:
  Entry& At(std::int16_t i) const {
    if (i < 0 || i >= ListCount()) throw RuntimeError("Invalid list position " + std::to_string(i));
    return const_cast<Entry&>(entries[static_cast<std::size_t>(i)]);
  }
};

}  // namespace tastiva::test
