#include "midi/jack/Bury.h"

#include <new>
#include <utility>
#include <vector>

namespace tastiva {

void Bury(std::shared_ptr<void> remains) {
  static auto* const graveyard = new std::vector<std::shared_ptr<void>>;
  try {
    graveyard->push_back(std::move(remains));
  } catch (...) {
    static_cast<void>(new (std::nothrow) std::shared_ptr<void>(std::move(remains)));
  }
}

}  // namespace tastiva
