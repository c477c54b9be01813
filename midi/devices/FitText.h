#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace tastiva {

// The longest text a device gives with a refusal: winmm's midiOutGetErrorTextA fills a buffer
// of 128 bytes, the last one its NUL.
inline constexpr std::size_t kMaxTextBytes = 127;

// pattern with each "{}" replaced by the next of names, the whole within maxBytes. The
// pattern's own words (what happened, what to do) are never cut; names that do not fit are
// shortened in their middle (ShortenName), the longest first, never inside a UTF-8 character.
// Where everything fits, the text is exactly pattern and names.
std::string FitText(std::string_view pattern, std::initializer_list<std::string_view> names,
                    std::size_t maxBytes = kMaxTextBytes);

}  // namespace tastiva
