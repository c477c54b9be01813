#pragma once

#include <array>
#include <cstdint>

namespace tastiva {

// The computer key (Windows virtual-key code of a US layout) that plays each on-screen key,
// by key index: Q 2 W 3 E 4 R on F3..B3, Z S X D C V G B H N J M , L . ; / on C4..E5,
// U 8 I 9 O 0 P [ on F5..C6.
inline constexpr std::array<std::int16_t, 32> kNoteMap{
    81, 50, 87, 51, 69, 52, 82,                                               // Q 2 W 3 E 4 R
    90, 83, 88, 68, 67, 86, 71, 66,  72, 78, 74, 77, 188, 76, 190, 186, 191,  // Z .. /
    85, 56, 73, 57, 79, 48, 80, 219,                                          // U 8 I 9 O 0 P [
};

}  // namespace tastiva
