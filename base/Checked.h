#pragma once

#include <cstdint>
#include <limits>
#include <string>

#include "base/RuntimeError.h"

namespace tastiva {

// Signed 16- and 32-bit arithmetic that raises a run-time error on overflow, as the
// program's integer arithmetic does everywhere.
class OverflowError : public RuntimeError {
 public:
  explicit OverflowError(const std::string& where) : RuntimeError("Overflow in " + where) {}
};

namespace checked {

template <typename T>
T Narrow(std::int64_t value, const char* where) {
  if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
    throw OverflowError(where);
  }
  return static_cast<T>(value);
}

inline std::int16_t Add16(std::int16_t a, std::int16_t b, const char* where) {
  return Narrow<std::int16_t>(std::int64_t{a} + b, where);
}
inline std::int16_t Sub16(std::int16_t a, std::int16_t b, const char* where) {
  return Narrow<std::int16_t>(std::int64_t{a} - b, where);
}
inline std::int16_t Mul16(std::int16_t a, std::int16_t b, const char* where) {
  return Narrow<std::int16_t>(std::int64_t{a} * b, where);
}
inline std::int32_t Add32(std::int32_t a, std::int32_t b, const char* where) {
  return Narrow<std::int32_t>(std::int64_t{a} + b, where);
}
inline std::int32_t Mul32(std::int32_t a, std::int32_t b, const char* where) {
  return Narrow<std::int32_t>(std::int64_t{a} * b, where);
}

}  // namespace checked
}  // namespace tastiva
