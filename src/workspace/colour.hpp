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
