#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tastiva {

// The bytes of a short message word, in sending order, and how many of them the status needs.
struct ShortMessageBytes {
  std::array<std::uint8_t, 3> bytes{};
  std::size_t size = 0;
};

inline ShortMessageBytes UnpackShortMessage(std::uint32_t word) {
  ShortMessageBytes m;
  m.bytes = {static_cast<std::uint8_t>(word & 0xFF), static_cast<std::uint8_t>((word >> 8) & 0xFF),
             static_cast<std::uint8_t>((word >> 16) & 0xFF)};
  const std::uint8_t status = m.bytes[0];
  if (status < 0x80) {
    m.size = 0;  // running status is not supported
  } else if (status < 0xC0 || (status >= 0xE0 && status < 0xF0) || status == 0xF2) {
    m.size = 3;
  } else if (status < 0xE0 || status == 0xF1 || status == 0xF3) {
    m.size = 2;
  } else {
    m.size = 1;
  }
  return m;
}

}  // namespace tastiva
