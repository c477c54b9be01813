#pragma once

#include <cmath>

namespace tastiva {

// Layout tables are in twips; this is the one place they become pixels (15 twips = 1 px
// at 96 dpi; Qt scales logical pixels on high-dpi screens itself).
inline constexpr double kTwipsPerPixel = 15.0;

inline int TwipsToPixels(double twips) {
  return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}
inline double PixelsToTwips(double pixels) {
  return pixels * kTwipsPerPixel;
}

}  // namespace tastiva
