// Presentation model of the "Lambda missing" window: the wavelength a
// Rietveld file without one should be read with.
#pragma once

#include <array>
#include <string>

namespace calvane {

struct LambdaMissingForm {
  static constexpr const char* kCaption = "Lambda missing";
  static constexpr const char* kText = "The wavelenth was not found  in the file! ";
  static constexpr std::array<const char*, 5> kAnodes{"Mo", "Cu", "Co", "Fe", "Cr"};

  bool visible = false;
  std::string lambda1;     // "l1" (λ1), read-only, filled by the anode list
  std::string lambda2;     // "l2" (λ2), read-only
  std::string lambda;      // "l" (λ), editable
  int anode_index = -1;    // row of the "Anode:" list, -1 when none was chosen
  std::string anode;       // code of the chosen anode, empty when none
  std::string file_path;   // the Rietveld file waiting for its wavelength
};

/// `clicklistbox`: the user chose row `index` of the anode list; the three
/// boxes receive its Kα1, Kα2 and mean Kα wavelengths (8:5).
void clicklistbox(LambdaMissingForm& form, int index);

/// Empties the boxes and the choice and remembers the file to read.
void open_lambda_missing(LambdaMissingForm& form, std::string file_path);

}  // namespace calvane
