// Window geometry is kept in twips (1/1440 inch); Qt places widgets in logical pixels.
#pragma once

#include <cmath>
#include <cstdint>

namespace brintova {

inline constexpr double kTwipsPerInch = 1440.0;

inline int TwipsToPixels(std::int32_t twips, double dots_per_inch) {
  return static_cast<int>(std::lround(twips * dots_per_inch / kTwipsPerInch));
}

inline std::int32_t PixelsToTwips(int pixels, double dots_per_inch) {
  return static_cast<std::int32_t>(std::lround(pixels * kTwipsPerInch / dots_per_inch));
}

}  // namespace brintova
