#include "midi/devices/FitText.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "base/Utf8.h"
#include "midi/devices/DeviceNames.h"

namespace tastiva {

namespace {

constexpr std::string_view kSlot = "{}";

// The most bytes each name may keep so that all fit in budget: names shorter than an even
// share keep all of theirs, and what they leave goes to the longer ones.
std::size_t Cap(std::vector<std::size_t> sizes, std::size_t budget) {
  std::sort(sizes.begin(), sizes.end());
  for (std::size_t i = 0; i < sizes.size(); ++i) {
    const std::size_t share = budget / (sizes.size() - i);
    if (sizes[i] > share) return share;
    budget -= sizes[i];
  }
  return std::numeric_limits<std::size_t>::max();  // all fit
}

}  // namespace

std::string FitText(std::string_view pattern, std::initializer_list<std::string_view> names,
                    std::size_t maxBytes) {
  std::vector<std::string_view> words;  // the pattern around its slots
  std::size_t fixed = 0;
  for (std::size_t from = 0;;) {
    const std::size_t slot = pattern.find(kSlot, from);
    words.push_back(pattern.substr(from, slot == std::string_view::npos ? slot : slot - from));
    fixed += words.back().size();
    if (slot == std::string_view::npos) break;
    from = slot + kSlot.size();
  }
  std::vector<std::string> filled(names.begin(), names.end());
  filled.resize(words.size() - 1);  // a slot without a name stays empty
  std::vector<std::size_t> sizes;
  for (const std::string& name : filled) sizes.push_back(name.size());
  const std::size_t cap = Cap(sizes, maxBytes > fixed ? maxBytes - fixed : 0);
  std::string text(words.front());
  for (std::size_t i = 0; i < filled.size(); ++i) {
    text += filled[i].size() > cap ? ShortenName(filled[i], cap) : filled[i];
    text += words[i + 1];
  }
  // Only a pattern too long by itself is cut here: a fault of ours that a test catches.
  return std::string(Utf8Head(text, maxBytes));
}

}  // namespace tastiva
