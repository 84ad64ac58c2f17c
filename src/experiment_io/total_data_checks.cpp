// What a total data file could not read back: the checks made before one is
// written, so that a refused value never reaches the disk.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

#include "crystallography/crystal_checks.hpp"
#include "experiment_io/total_data_file.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

std::string setting_text_problem(std::string_view key, std::string_view text) {
  const std::string name = trim_right(key);
  text = trim_view(text);
  if (text.empty()) return {};  // an empty field leaves its value as it was
  if (name == "WL") {
    if (text == "Multiple") return {};
    auto wavelength = parse_double(text);
    return wavelength && *wavelength > 0 ? std::string() : "the wavelength must be a number above 0 or \"Multiple\"";
  }
  return parse_double(text) ? std::string() : name + " must be a number";
}

namespace {

bool has_line_break(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

bool all_finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

std::string crystal_problem(const CurrentCrystal& crystal) {
  for (std::string_view text : {std::string_view(crystal.title), std::string_view(crystal.system_code),
                                std::string_view(crystal.symbol)})
    if (has_line_break(text)) return "its title, system or space-group symbol holds a line break";
  if (crystal.symbol.size() > static_cast<std::size_t>(kSymbolLength))
    return "its space-group symbol is longer than " + std::to_string(kSymbolLength) + " characters";
  const CellParameters& cell = crystal.cell;
  if (!all_finite({cell.a, cell.b, cell.c, cell.alpha, cell.beta, cell.gamma})) return "its cell is not a set of numbers";
  if (crystal.atoms.size() > static_cast<std::size_t>(kMaxAtoms)) return "it has more than 400 atoms";
  for (std::size_t i = 0; i < crystal.atoms.size(); ++i) {
    const AtomSite& atom = crystal.atoms[i];
    const std::string which = "atom " + std::to_string(i + 1) + " (" + atom.type + ")";
    if (trim_view(atom.type).empty() || atom.type.size() > 4 || has_line_break(atom.type + atom.label))
      return which + ": an atom type is one to four characters on one line";
    if (!all_finite({atom.x, atom.y, atom.z, atom.b, atom.population})) return which + ": a number is not finite";
  }
  for (const SymmetryOperator& op : crystal.symmetry.operators)
    for (const auto& row : op.m)
      if (!all_finite({row[0], row[1], row[2], row[3]})) return "a symmetry operator is not finite";
  return {};
}

std::string curve_problem(const TotalDataCurve& curve) {
  if (has_line_break(curve.name)) return "its name holds a line break";
  for (auto [angle, intensity] : curve.points)
    if (!all_finite({angle, intensity})) return "a point is not a pair of numbers";
  return {};
}

}  // namespace

namespace {

// What "Pattern corrections" could not read back.
std::string corrections_problem(const TotalDataFile& data) {
  const SampleCorrections& corrections = data.corrections;
  if (!all_finite({corrections.zero_shift_deg, corrections.displacement_um, corrections.goniometer_radius_mm}) ||
      !(corrections.goniometer_radius_mm > 0))
    return "the zero shift, displacement or goniometer radius is not a number";
  if (corrections.background.size() > 13) return "the background has more than 13 coefficients";
  for (double coefficient : corrections.background)
    if (!std::isfinite(coefficient)) return "a background coefficient is not a number";
  for (std::size_t p = 0; p < data.phases.size(); ++p) {
    const TotalDataPhase& phase = data.phases[p];
    const bool indices = std::all_of(phase.orientation.direction.begin(), phase.orientation.direction.end(),
                                     [](int index) { return std::abs(index) <= 99; });
    if (!indices || !(phase.orientation.ratio > 0) || !std::isfinite(phase.orientation.ratio) ||
        !(phase.particle_radius_um >= 0) || !std::isfinite(phase.particle_radius_um))
      return "phase " + std::to_string(p + 1) + ": its texture or particle radius cannot be written";
  }
  return {};
}

}  // namespace

std::string unwritable_reason(const TotalDataFile& data) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"WL   ", &data.wavelength}, {"2TH1 ", &data.two_theta_low}, {"2TH2 ", &data.two_theta_high},
      {"U    ", &data.u},          {"V    ", &data.v},             {"W    ", &data.w}};
  for (auto [key, text] : fields) {
    if (has_line_break(*text)) return "the " + trim_right(key) + " field holds a line break";
    if (std::string problem = setting_text_problem(key, *text); !problem.empty())
      return problem + " (it reads \"" + trim(*text) + "\")";
  }
  for (auto [wavelength, fraction] : data.wavelengths)
    if (!all_finite({wavelength, fraction}) || wavelength <= 0 || fraction < 0)
      return "a wavelength of the spectrum is not a positive number with its fraction";
  for (std::size_t p = 0; p < data.phases.size(); ++p) {
    const TotalDataPhase& phase = data.phases[p];
    const std::string which = "phase " + std::to_string(p + 1) + " (" + file_name_of(phase.file_path) + ")";
    if (has_line_break(phase.file_path)) return which + ": its file name holds a line break";
    for (const std::string* text : {&phase.fraction, &phase.size, &phase.strain})
      if (!parse_double(*text)) return which + ": its fraction, size or strain is not a number";
    if (std::string problem = crystal_problem(phase.crystal); !problem.empty()) return which + ": " + problem;
  }
  for (const auto* curves : {&data.patterns, &data.peak_lists})
    for (const TotalDataCurve& curve : *curves)
      if (std::string problem = curve_problem(curve); !problem.empty())
        return "the observed data " + file_name_of(curve.name) + ": " + problem;
  return corrections_problem(data);
}

}  // namespace calvane
