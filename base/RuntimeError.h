#pragma once

#include <stdexcept>
#include <string>

namespace tastiva {

// An error no procedure handles: the program shows the run-time error report and ends.
class RuntimeError : public std::runtime_error {
 public:
  explicit RuntimeError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace tastiva
