// Presentation model of the multiple-wavelength dialog (`WavelengthDialog`).
#pragma once

#include <array>
#include <optional>
#include <string>

#include "model/limits.hpp"

namespace calvane {

/// A box of the dialog: row 0..3, wavelength or intensity column.
struct WavelengthBox {
  int row = 0;
  bool intensity = false;
  friend bool operator==(const WavelengthBox&, const WavelengthBox&) = default;
};

struct WavelengthForm {
  std::string caption = "Multiple wavelengths";
  std::string composition_caption = "Spectral composition";
  std::string anode_caption = "Anode material";
  std::string harmonics_button = "l/2, l/3";  // λ/2, λ/3 in the symbol font
  std::string harmonics_hint = "Set lambda/2, Lambda/3 of the primary wavelength";
  std::array<std::string, kMaxDialogWavelengths> wavelength;  // column "l" (λ), Å
  std::array<std::string, kMaxDialogWavelengths> intensity;   // column "Intensity"
  int anode_index = -1;                                       // "MoK", "CuK", "CoK", "FeK", "CrK"; -1 none
  bool visible = false;
  std::optional<WavelengthBox> focused;
};

}  // namespace calvane
