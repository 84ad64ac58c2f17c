// Characteristic X-ray lines of the main window's line list and the anode
// table of the multiple-wavelength dialog.
#pragma once

#include <array>
#include <string_view>

namespace calvane {

struct CharacteristicLine {
  std::string_view item;  // text of the line list
  double wavelength;      // Å
};

/// Items 1..20 of the line list (item 0, "Multiple W.L.", opens the dialog).
/// "Kmoy" is the mean Kα, (2 Kα1 + Kα2)/3, "kBet" the Kβ1 line. The Kα1, Kα2
/// and Kβ1 values are J. A. Bearden (1967), Rev. Mod. Phys. 39, 78, rounded
/// to five decimals, except FeKα2: the program has always used 1.93339 (below
/// FeKα1; Bearden gives 1.93998), and the anode table holds the same value.
inline constexpr std::array<CharacteristicLine, 20> kCharacteristicLines{{
    {"MoKa1", 0.7093},   {"MoKa2", 0.71359},  {"MoKmoy", 0.7107},  {"MokBet", 0.63229}, {"CuKa1", 1.54056},
    {"CuKa2", 1.54439},  {"CuKmoy", 1.5418},  {"CukBet", 1.39222}, {"CoKa1", 1.78897},  {"CoKa2", 1.79285},
    {"CoKmoy", 1.7902},  {"CokBet", 1.62079}, {"FeKa1", 1.93604},  {"FeKa2", 1.93339},  {"FeKmoy", 1.9373},
    {"FekBet", 1.75661}, {"CrKa1", 2.2897},   {"CrKa2", 2.29361},  {"CrKmoy", 2.2909},  {"CrkBet", 2.08487},
}};

inline constexpr std::string_view kMultipleLinesItem = "Multiple W.L.";

/// Item 21 of the line list: the copper Kα doublet as one spectrum, Kα1 and
/// Kα2 in the ratio 2 : 1 of their transition probabilities, the way most
/// laboratory diffractometers measure without a monochromator.
inline constexpr int kCopperDoubletIndex = static_cast<int>(kCharacteristicLines.size()) + 1;
inline constexpr std::string_view kCopperDoubletItem = "CuKa1+Ka2";

/// One anode of the dialog's "Anode material" list: Kα1, Kα2 and Kβ as the
/// texts the dialog's first three rows receive.
struct Anode {
  std::string_view item;  // "MoK", ...
  std::string_view code;  // "Mo", ... for the anomalous-dispersion tables
  std::array<std::string_view, 3> wavelengths;
};

inline constexpr std::array<Anode, 5> kAnodes{{
    {"MoK", "Mo", {"0.70930", "0.71359", "0.63229"}},
    {"CuK", "Cu", {"1.54056", "1.54439", "1.39222"}},
    {"CoK", "Co", {"1.78897", "1.79285", "1.62079"}},
    {"FeK", "Fe", {"1.93604", "1.93339", "1.75661"}},
    {"CrK", "Cr", {"2.28970", "2.29361", "2.08487"}},
}};

/// Relative intensities the anode choice writes for Kα1, Kα2 and Kβ.
inline constexpr std::array<std::string_view, 3> kAnodeIntensities{"100", "50", "10"};
/// Relative intensities of λ, λ/2 and λ/3 after "l/2, l/3".
inline constexpr std::array<std::string_view, 3> kHarmonicIntensities{"100", "30", "10"};

}  // namespace calvane
