#include "midi/devices/DeviceNames.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>

#include "base/Utf8.h"

namespace tastiva {

namespace {

constexpr std::string_view kJoin = "..";
// A cut between words may give up this many bytes of text compared to a cut inside a word.
constexpr std::size_t kWordSlack = 6;

// The least of a name's start kept when names that read alike are told apart.
constexpr std::size_t kMinHead = 6;

// Cutting at a joiner ("Port-0", "midi_in") splits a name that reads as one word.
constexpr std::size_t kJoinerPenalty = 2;

bool IsJoiner(char c) {
  return c == '-' || c == '_';
}

std::size_t Penalised(std::size_t size, std::size_t penalty) {
  return size > penalty ? size - penalty : 0;
}

// Cut points between words: after one of these...
bool EndsWord(char c) {
  return c == ' ' || c == ':' || c == '-' || c == '_' || c == ',' || c == '/';
}
// ...or before one of these.
bool BeginsBreak(char c) {
  return EndsWord(c) || c == '(';
}

bool IsWordStart(const std::string& s, std::size_t i) {
  return i > 0 && i < s.size() && EndsWord(s[i - 1]) && s[i] != ' ';
}
bool IsWordEnd(const std::string& s, std::size_t j) {
  return j > 0 && j < s.size() && (BeginsBreak(s[j]) || s[j - 1] == ')' || s[j - 1] == ']');
}

// Characters that look wrong next to the "..".
std::string TrimEnd(std::string s) {
  while (!s.empty() && (BeginsBreak(s.back()) || s.back() == '[')) s.pop_back();
  return s;
}

// The start of text within budget bytes, cut between words if that loses little.
std::string HeadAtWord(const std::string& text, std::size_t budget) {
  const std::size_t cut = Utf8Boundary(text, std::min(budget, text.size()));
  for (std::size_t j = cut; j > 0 && j + kWordSlack >= cut; --j) {
    if (IsWordEnd(text, j)) return TrimEnd(text.substr(0, j));
  }
  return TrimEnd(text.substr(0, cut));
}

}  // namespace

std::string MergeClientAndPort(const std::string& client, const std::string& port) {
  if (client.empty()) return port;
  if (port.empty() || port == client) return client;
  if (port.size() > client.size() && port.compare(0, client.size(), client) == 0 &&
      BeginsBreak(port[client.size()])) {
    return port;
  }
  return client + ":" + port;
}

std::pair<std::string, std::string> SplitAtColon(const std::string& name) {
  const std::size_t colon = name.find(':');
  if (colon == std::string::npos) return {std::string(), name};
  return {name.substr(0, colon), name.substr(colon + 1)};
}

std::string ShortenName(const std::string& text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  if (maxBytes < 4 * kJoin.size()) return std::string(Utf8Head(text, maxBytes));

  const std::size_t room = maxBytes - kJoin.size();
  // The start usually names the device and gets at least half; the end tells ports apart.
  const std::size_t maxTail = room / 2;

  // The best start within budget: a cut between words unless that loses too much.
  const auto bestHead = [&](std::size_t budget, std::size_t* score) {
    const std::size_t cut = Utf8Boundary(text, budget);
    std::string head = TrimEnd(text.substr(0, cut));
    std::size_t headScore = Penalised(head.size(), IsWordEnd(text, cut) ? 0 : kWordSlack);
    for (std::size_t j = cut; j > 0 && j + kWordSlack + kJoinerPenalty >= cut; --j) {
      if (j == cut || !IsWordEnd(text, j)) continue;
      std::string atWord = TrimEnd(text.substr(0, j));
      const bool joiner = IsJoiner(text[j]) || IsJoiner(text[j - 1]);
      const std::size_t wordScore = Penalised(atWord.size(), joiner ? kJoinerPenalty : 0);
      if (!atWord.empty() && wordScore > headScore) {
        head = std::move(atWord);
        headScore = wordScore;
      }
    }
    *score = headScore;
    return head;
  };

  std::string best;
  std::size_t bestScore = 0;
  const auto consider = [&](std::size_t tailStart) {
    const std::size_t tailSize = text.size() - tailStart;
    std::size_t score = 0;
    const std::string head = bestHead(room - tailSize, &score);
    if (head.empty()) return;
    const bool whole = IsWordStart(text, tailStart);
    score += Penalised(tailSize, !whole                          ? kWordSlack
                                 : IsJoiner(text[tailStart - 1]) ? kJoinerPenalty
                                                                 : 0);
    if (best.empty() || score > bestScore) {
      best = head + std::string(kJoin) + text.substr(tailStart);
      bestScore = score;
    }
  };
  // Ends that start a word, longest first, then one cut inside a word.
  for (std::size_t i = text.size() - maxTail; i < text.size(); ++i) {
    if (IsWordStart(text, i)) consider(i);
  }
  std::size_t inWord = Utf8Boundary(text, text.size() - room * 2 / 5, true);
  while (inWord < text.size() && EndsWord(text[inWord])) ++inWord;
  if (inWord < text.size()) consider(inWord);
  return best.empty() ? std::string(Utf8Head(text, maxBytes)) : best;
}

std::vector<std::string> DeviceNames(const std::vector<std::string>& longNames,
                                     std::size_t maxBytes) {
  std::vector<std::string> names;
  std::map<std::string, std::vector<std::size_t>> readAlike;
  for (const std::string& name : longNames) {
    names.push_back(ShortenName(name, maxBytes));
    readAlike[names.back()].push_back(names.size() - 1);
  }
  for (const auto& [shortName, group] : readAlike) {
    if (group.size() < 2) continue;
    // Where the group starts to differ, from the start of that word.
    std::size_t common = longNames[group[0]].size();
    for (const std::size_t i : group) {
      const std::string& first = longNames[group[0]];
      const auto diff =
          std::mismatch(first.begin(), first.end(), longNames[i].begin(), longNames[i].end());
      common = std::min(common, static_cast<std::size_t>(diff.first - first.begin()));
    }
    std::size_t from = Utf8Boundary(longNames[group[0]], common);
    while (from > 0 && !EndsWord(longNames[group[0]][from - 1])) --from;
    if (from == 0 || maxBytes < 4 * kJoin.size()) continue;
    for (const std::size_t i : group) {
      const std::string& name = longNames[i];
      const std::string rest = name.substr(from);
      // The start names the device: a few bytes of it at least, the rest for what differs.
      const std::size_t restRoom =
          maxBytes - kJoin.size() - std::min(from, std::max(kMinHead, maxBytes / 4));
      const std::string tail = ShortenName(rest, std::min(rest.size(), restRoom));
      if (from + tail.size() <= maxBytes) {
        names[i] = name.substr(0, from) + tail;
      } else {
        names[i] =
            HeadAtWord(name, maxBytes - kJoin.size() - tail.size()) + std::string(kJoin) + tail;
      }
    }
  }
  MakeNamesUnique(names, maxBytes);
  return names;
}

void MakeNamesUnique(std::vector<std::string>& names, std::size_t maxBytes) {
  // A renamed duplicate must not take a name that a later port has in its own right.
  const std::set<std::string> original(names.begin(), names.end());
  std::set<std::string> used;
  for (std::string& name : names) {
    if (used.insert(name).second) continue;
    for (int n = 2;; ++n) {
      const std::string suffix = " " + std::to_string(n);
      const std::size_t keep = maxBytes > suffix.size() ? maxBytes - suffix.size() : 0;
      std::string candidate = TrimEnd(std::string(Utf8Head(name, keep))) + suffix;
      if (original.count(candidate) == 0 && used.insert(candidate).second) {
        name = std::move(candidate);
        break;
      }
    }
  }
}

}  // namespace tastiva
