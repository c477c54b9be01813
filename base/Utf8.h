#pragma once

#include <cstddef>
#include <string_view>

namespace tastiva {

// Cuts of UTF-8 text that never split a character: device names and refusal texts are
// limited in bytes, and half a character shows as garbage.

constexpr bool IsUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// The start of the character at pos, or pos itself when it starts one or is at the end.
// Moves back by default, forward with forward set.
constexpr std::size_t Utf8Boundary(std::string_view text, std::size_t pos, bool forward = false) {
  if (forward) {
    while (pos < text.size() && IsUtf8Continuation(text[pos])) ++pos;
  } else {
    while (pos > 0 && pos < text.size() && IsUtf8Continuation(text[pos])) --pos;
  }
  return pos;
}

// The first maxBytes bytes of text at most, whole characters only.
constexpr std::string_view Utf8Head(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  return text.substr(0, Utf8Boundary(text, maxBytes));
}

// The last maxBytes bytes of text at most, whole characters only.
constexpr std::string_view Utf8Tail(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  return text.substr(Utf8Boundary(text, text.size() - maxBytes, true));
}

}  // namespace tastiva
