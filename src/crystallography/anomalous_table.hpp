// Anomalous-dispersion tables ("Brcow.an", "Sasaki.an"): f′ and f″ of each
// element against photon energy, and their interpolation at a wavelength.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/scattering_type.hpp"

namespace calvane {

struct AnomalousPoint {
  float energy_ev = 0;
  float f_prime = 0;
  float f_second = 0;
};

/// One element block of a table file, points by ascending energy.
struct AnomalousElement {
  std::string symbol;  // as stored: 2 characters, blank-padded
  std::vector<AnomalousPoint> points;
};

struct AnomalousTable {
  std::vector<AnomalousElement> elements;  // in file order
};

/// Decodes the binary layout: blocks of a 2-character symbol, a 32-bit
/// little-endian count N and N little-endian float triples (E in eV, f′, f″),
/// to the end of the data. Returns an empty string, or a message naming
/// `file_name` when a block is cut short or its count is impossible.
std::string parse_anomalous_table(std::string_view bytes, std::string_view file_name, AnomalousTable& table);

/// Reads and decodes a table file; the message names the file when it cannot be read.
std::string read_anomalous_file(const std::filesystem::path& path, AnomalousTable& table);

/// Only the blocks of `symbols` (compared trimmed, in capitals), in file order:
/// what a computation needs, read at every computation so that an edited
/// table takes effect at once. The whole file is still checked for damage.
std::string read_anomalous_elements(const std::filesystem::path& path, const std::vector<std::string>& symbols,
                                    AnomalousTable& table);

/// The first block whose symbol, trimmed and in capitals, equals `symbol`'s.
const AnomalousElement* find_anomalous_element(const AnomalousTable& table, std::string_view symbol);

struct AnomalousValue {
  double f_prime = 0;
  double f_second = 0;
};

/// f′ and f″ at `wavelength_angstrom`: E = 12400/λ (single precision); linear
/// between the last point below E and the first at or above it. At or below
/// the first point the first point's values are taken; beyond the last point,
/// or with no point, there is no value.
std::optional<AnomalousValue> interpolate_anomalous(const AnomalousElement& element,
                                                    double wavelength_angstrom);

/// Gives every type f′ and f″ for the first four wavelengths from the table.
/// A type with no block, or a wavelength beyond its block, keeps its values.
void apply_anomalous_table(const AnomalousTable& table, const std::vector<double>& wavelengths,
                           std::vector<ScatteringType>& types);

}  // namespace calvane
