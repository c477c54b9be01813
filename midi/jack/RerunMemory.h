#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tastiva {

// A short message as the JACK output queues it.
struct ShortRecord {
  std::uint8_t size;
  std::uint8_t bytes[3];
};

// What the process callback wrote in its last run, and for which period. After an xrun jackd2
// can run a period twice, and the next client then reads only what the second run wrote: what
// the first wrote goes again, but for note-ons, which would sound twice if the first was read
// after all. For JACK's real-time thread: no lock, no allocation.
class RerunMemory {
 public:
  // At the start of a run of the period whose first frame is frame: if the last run was of
  // the same period, write(record) for what it wrote, note-ons excepted, in order, until
  // write returns false.
  template <typename Write>
  void Start(std::uint32_t frame, Write&& write) {
    const std::size_t before = frame == frame_ ? count_ : 0;
    frame_ = frame;
    count_ = 0;
    for (std::size_t i = 0; i < before; ++i) {
      const ShortRecord again = recent_[i];  // write() records over the entries already read
      const bool noteOn = (again.bytes[0] & 0xF0) == 0x90 && again.size == 3 && again.bytes[2] != 0;
      if (!noteOn && !write(again)) break;
    }
  }
  // Records a message this run wrote (past the first 64 of a run, none).
  void Wrote(const ShortRecord& record) {
    if (count_ < recent_.size()) recent_[count_++] = record;
  }

 private:
  std::array<ShortRecord, 64> recent_{};
  std::size_t count_ = 0;
  std::uint32_t frame_ = 0;
};

}  // namespace tastiva
