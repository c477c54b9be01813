#pragma once

#include <cstdint>
#include <string>

namespace tastiva {

// A single-selection, unsorted list control.
class ListControl {
 public:
  virtual ~ListControl() = default;

  virtual void Clear() = 0;
  // Appends an entry; only the text up to its first NUL is shown.
  virtual void AddItem(const std::string& text) = 0;
  // Position of the entry added last.
  virtual std::int16_t NewIndex() const = 0;
  // The 32-bit value stored with an entry. An invalid position throws RuntimeError.
  virtual std::int32_t ItemData(std::int16_t index) const = 0;
  virtual void SetItemData(std::int16_t index, std::int32_t value) = 0;
  virtual std::int16_t ListCount() const = 0;
  // Selected position, -1 for none.
  virtual std::int16_t ListIndex() const = 0;
  // Selects a position as a user's click would, running the selection handler.
  // A position that does not exist throws RuntimeError.
  virtual void SetListIndex(std::int16_t index) = 0;
};

}  // namespace tastiva
