// The main window's design-time layout in twips (1/1440 inch), and its conversion to the pixels
// of a display with a given number of dots per inch. Controls inside a frame are given here in
// window coordinates: the frame's place plus their place inside it.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace brintova::win32ui {

inline constexpr std::int32_t kClientWidthTwips = 8040;
inline constexpr std::int32_t kClientHeightTwips = 5610;
inline constexpr std::int32_t kColumnWidthTwips = 7000;

struct TwipsRect {
  std::int32_t left, top, width, height;
};

struct Placement {
  std::u16string_view name;
  TwipsRect rect;
};

// Every visible control, in tab-index order (which is also their stacking order, top first).
inline constexpr std::array<Placement, 12> kPlacements = {{
    {u"ListView1", {120, 120, 7800, 1575}},
    {u"Option1", {120 + 240, 3660 + 300, 2475, 255}},
    {u"Frame1", {120, 3660, 7800, 735}},
    {u"Option2", {120 + 3000, 3660 + 300, 3135, 255}},
    {u"ProgressBar1", {120, 5070, 7800, 405}},
    {u"PushButton3", {120, 1790, 3840, 405}},
    {u"PushButton6", {4080, 1790, 3840, 405}},
    {u"PushButton7", {120, 4530, 7800, 405}},
    {u"Frame2", {120, 2775, 7800, 800}},
    {u"Combo1", {120 + 240, 2775 + 300, 7320, 345}},
    {u"PushButton1", {120, 2300, 3840, 405}},
    {u"PushButton2", {4080, 2300, 3840, 405}},
}};

// The placement of the control named `name`; the list view's for an unknown name.
constexpr const TwipsRect& PlacementOf(std::u16string_view name) {
  for (const Placement& placement : kPlacements) {
    if (placement.name == name) return placement.rect;
  }
  return kPlacements[0].rect;
}

inline int TwipsToPixels(std::int32_t twips, int dots_per_inch) {
  return static_cast<int>(std::lround(twips * static_cast<double>(dots_per_inch) / 1440.0));
}

inline std::int32_t PixelsToTwips(int pixels, int dots_per_inch) {
  return static_cast<std::int32_t>(std::lround(pixels * 1440.0 / dots_per_inch));
}

struct PixelRect {
  int left, top, width, height;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

inline PixelRect ToPixels(const TwipsRect& rect, int dots_per_inch) {
  return {TwipsToPixels(rect.left, dots_per_inch), TwipsToPixels(rect.top, dots_per_inch),
          TwipsToPixels(rect.width, dots_per_inch), TwipsToPixels(rect.height, dots_per_inch)};
}

// A font's height in pixels (the negative character height the system's fonts take).
inline int FontHeight(double points, int dots_per_inch) {
  return -static_cast<int>(std::lround(points * dots_per_inch / 72.0));
}

}  // namespace brintova::win32ui
