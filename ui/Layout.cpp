#include "ui/Layout.h"

namespace tastiva::layout {

Rect KeyRect(int index) {
  const Key& key = kKeys.at(static_cast<std::size_t>(index));
  return key.black ? Rect{key.left, kKeyTop, kBlackWidth, kBlackHeight}
                   : Rect{key.left, kKeyTop, kWhiteWidth, kWhiteHeight};
}

std::int16_t HitTest(double x, double y) {
  for (const Created& c : kCreationOrder) {
    if (c.control == Control::Key && KeyRect(c.keyIndex).Contains(x, y)) {
      return static_cast<std::int16_t>(c.keyIndex);
    }
  }
  return -1;
}

}  // namespace tastiva::layout
