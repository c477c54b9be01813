#pragma once

#include <cstdint>
#include <deque>

namespace tastiva {

// Short message words waiting for a device that cannot take them yet (opening, loading an
// instrument), in the order sent. A note-off for a note whose note-on still waits here takes
// that note-on out and is not kept either: a key let go before its sound could start sounds
// nothing later.
class PendingMessages {
 public:
  void Push(std::uint32_t word) {
    if (IsNoteOff(word)) {
      for (auto it = words_.rbegin(); it != words_.rend(); ++it) {
        if (IsNoteOn(*it) && SameKey(*it, word)) {
          words_.erase(std::next(it).base());
          return;
        }
      }
    }
    words_.push_back(word);
  }
  bool Empty() const { return words_.empty(); }
  std::uint32_t Pop() {
    const std::uint32_t word = words_.front();
    words_.pop_front();
    return word;
  }
  void Clear() { words_.clear(); }

  static bool IsNoteOn(std::uint32_t w) { return (w & 0xF0) == 0x90 && (w & 0x7F0000) != 0; }
  static bool IsNoteOff(std::uint32_t w) {
    return (w & 0xF0) == 0x80 || ((w & 0xF0) == 0x90 && (w & 0x7F0000) == 0);
  }

 private:
  static bool SameKey(std::uint32_t a, std::uint32_t b) {
    return (a & 0x0F) == (b & 0x0F) && (a & 0x7F00) == (b & 0x7F00);
  }

  std::deque<std::uint32_t> words_;
};

}  // namespace tastiva
