#include "reports/global_report.hpp"

#include <algorithm>
#include <optional>

#include "reports/conventions.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/workspace.hpp"

namespace calvane {

namespace {

// `text` right-aligned in `width` characters; a longer text is kept whole.
std::string right_aligned(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

void remove_first(std::string& text, std::string_view part) {
  const auto at = text.find(part);
  if (at != std::string::npos) text.erase(at, part.size());
}

std::string report_phase_name(const std::string& file_name) {
  std::string name = file_name_of(file_name);
  remove_first(name, "_cmp.cry");  // a phase written by the total data file
  remove_first(name, "_mp.cry");   // a phase rebuilt from it
  return name;
}

std::optional<std::size_t> heading_line(const std::vector<std::string>& results, int phase) {
  const std::string key = "Phase " + std::to_string(phase);
  for (std::size_t i = 1; i < results.size(); ++i)
    if (contains(results[i], key)) return i;
  return std::nullopt;
}

void add_anomalous_block(std::vector<std::string>& out, const Workspace& workspace, const PhaseData& phase) {
  const ExperimentSettings& settings = workspace.settings;
  const std::size_t count = std::min<std::size_t>(settings.wavelengths.size(), 4);
  out.push_back("Anomalous dispersion:");
  // Each wavelength's share of the whole (1.00 for 100 %): the driver holds
  // the fractions on the dialog's scale × 0.01, where only their ratios
  // count. A share that two decimals would lose (Cu Kβ at 0.0625) gets more.
  double total = 0;
  for (std::size_t w = 0; w < settings.wavelengths.size() && w < settings.fractions.size(); ++w)
    total += settings.fractions[w];
  std::string line = "Wavelength:";
  for (std::size_t w = 0; w < count; ++w) {
    const double fraction = w < settings.fractions.size() && total > 0 ? settings.fractions[w] / total : 0.0;
    line += fixed(settings.wavelengths[w], w == 0 ? 10 : 18, 5) + "(" + fixed_to_precision(fraction, 4, 2, 4) + ")";
  }
  out.push_back(line);
  for (const AnomalousTerms& terms : phase.composition.anomalous) {
    std::string species = right_aligned(terms.element, 2) + "      ";
    for (std::size_t w = 0; w < count; ++w)
      species += " f'=" + fixed(terms.f_prime[w], 6, 3) + " f''=" + fixed(terms.f_second[w], 6, 3) + "   ";
    out.push_back(species);
  }
}

std::string column_heading(AngleScale scale) {
  switch (scale) {
    case AngleScale::Theta:
      return " Nb. h  k  l   Dhkl   Theta  K*Int. lambda";
    case AngleScale::Q:
      return "Nb. h  k  l   Dhkl     Q     K*Int. lambda";
    case AngleScale::TwoTheta:
      break;
  }
  return " Nb. h  k  l   Dhkl  2Theta  K*Int. lambda";
}

void add_phase(std::vector<std::string>& out, const Workspace& workspace,
               const std::vector<std::string>& results, int number) {
  const PhaseData& phase = workspace.phase(number);
  const CellParameters& cell = phase.crystal.cell;
  out.emplace_back();
  out.push_back("Phase Nb. " + fixed(static_cast<long long>(number), 2) + " " +
                report_phase_name(phase.file_name));
  out.push_back("Space group        : " + phase.crystal.symbol);
  out.push_back("Cell               : " + fixed(cell.a, 8, 3) + fixed(cell.b, 8, 3) + fixed(cell.c, 8, 3) +
                fixed(cell.alpha, 8, 3) + fixed(cell.beta, 8, 3) + fixed(cell.gamma, 8, 3));
  out.push_back("Nb of Mol. per cell:" + fixed(static_cast<long long>(phase.composition.formula_units), 3));
  out.push_back("Molecular Weight   :" + fixed(phase.composition.molecular_weight, 8, 3));
  if (workspace.settings.source == RadiationSource::XRays) add_anomalous_block(out, workspace, phase);
  out.push_back("Asymetric unit contents:");
  out.push_back("         x        y        z      B      Pop.  ");
  for (const AtomSite& atom : phase.crystal.atoms)
    out.push_back(right_aligned(atom.type, 2) + right_aligned(atom.label, 2) + fixed(atom.x, 9, 5) +
                  fixed(atom.y, 9, 5) + fixed(atom.z, 9, 5) + fixed(atom.b, 6, 2) +
                  fixed(atom.population, 8, 3));
  const auto heading = heading_line(results, number);
  const std::string title =
      heading ? trim(substring(results[*heading], 7, std::string::npos)) : std::string();
  out.push_back("Intensities with " + title + ":");
  out.push_back(column_heading(workspace.settings.angle_scale));
  if (!heading) return;
  const std::size_t last = std::min(results.size(), *heading + 1 + phase.reflections.size());
  for (std::size_t i = *heading + 1; i < last; ++i) out.push_back(results[i]);
}

}  // namespace

std::vector<std::string> build_global_report(const Workspace& workspace,
                                             const std::vector<std::string>& results,
                                             const std::string& recorded_file_name) {
  std::vector<std::string> out;
  if (!recorded_file_name.empty()) out.push_back("File :" + recorded_file_name);
  for (int i = 1; i <= workspace.phase_count(); ++i) add_phase(out, workspace, results, i);
  if (workspace.phase_count() > 0) {
    out.emplace_back();
    for (std::string& line : conventions_report_lines(conventions_of(workspace))) out.push_back(std::move(line));
  }
  return out;
}

std::string write_global_report(const std::filesystem::path& path, const Workspace& workspace,
                                const std::vector<std::string>& results,
                                const std::string& recorded_file_name) {
  std::string text;
  for (const std::string& line : build_global_report(workspace, results, recorded_file_name))
    text += line + "\n";
  if (!workspace.fit_table.empty()) text += "\n";
  for (const std::string& line : workspace.fit_table) text += line + "\n";
  return write_file_atomically(path, text);
}

}  // namespace calvane
