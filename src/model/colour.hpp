// An RGB colour as the display options and the colours file hold it.
#pragma once

#include <cstdint>

namespace calvane {

struct Rgb {
  std::uint8_t red = 0, green = 0, blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr Rgb kGrey192{192, 192, 192};

}  // namespace calvane

namespace calvane {

/// Colours of the eight phase slots when no colours file has been saved.
inline constexpr Rgb kDefaultPhaseColours[8] = {{255, 124, 162}, {0, 0, 255}, {0, 128, 0},     {0, 0, 128},
                                                 {255, 0, 0},     {192, 192, 192}, {128, 0, 0}, {0, 255, 255}};

}  // namespace calvane
