#include "ui/phase_options.hpp"

#include <optional>
#include <string>
#include <vector>

#include "ui/ui_port.hpp"
#include "util/text.hpp"
#include "model/workspace.hpp"

namespace calvane {

namespace {

struct PhaseOptions {
  double fraction = 0, crystal_size = 0, strain = 0;
  bool draw = false;
};

// A box that may be empty (giving 0) but must otherwise read as a number of
// at least 0.
std::optional<double> read_optional_box(const std::string& text) {
  if (trim_view(text).empty()) return 0.0;
  const auto value = parse_double(text);
  if (!value || *value < 0) return std::nullopt;
  return value;
}

// The options of phase row `row`, or the message that refuses them.
std::string read_phase_row(const PhaseRow& row, PhaseOptions& options) {
  const auto percent = parse_double(row.percent);
  if (!percent || *percent < 0) return "Error on %";
  const auto size = read_optional_box(row.size);
  if (!size) return "Error on Width";
  const auto strain = read_optional_box(row.strain);
  if (!strain) return "Error on Delta(d)/d";
  options = {0.01 * *percent, *size, 0.001 * *strain, row.draw};
  return {};
}

void show_percentages(const Workspace& workspace, PhasesPageForm& page) {
  for (int p = 1; p <= workspace.phase_count(); ++p)
    page.rows[static_cast<std::size_t>(p - 1)].percent = fixed(100 * workspace.phase(p).fraction, 6, 1);
}

}  // namespace

bool read_phase_options(Workspace& workspace, MainForm& form, Ui& ui) {
  PhasesPageForm& page = form.phases;
  const int count = std::min(workspace.phase_count(), kMaxPhases);
  std::vector<PhaseOptions> options(static_cast<std::size_t>(count));
  double sum = 0;
  for (int p = 0; p < count; ++p) {
    const auto i = static_cast<std::size_t>(p);
    if (std::string refusal = read_phase_row(page.rows[i], options[i]); !refusal.empty()) {
      ui.warning(refusal);
      return false;
    }
    sum += options[i].fraction;
  }
  if (count > 0 && !(sum > 0)) {
    ui.warning("Error on %");
    return false;
  }
  for (int p = 0; p < count; ++p) {
    const PhaseOptions& read = options[static_cast<std::size_t>(p)];
    PhaseData& phase = workspace.phase(p + 1);
    phase.fraction = read.fraction / sum;
    phase.crystal_size = read.crystal_size;
    phase.strain = read.strain;
    phase.draw = read.draw;
  }
  show_percentages(workspace, page);
  workspace.settings.draw_sum = !page.sum_toggle_pressed;
  if (page.sum_toggle_pressed) page.sum_draw = false;
  workspace.settings.draw_observed = !page.observed_toggle_pressed;
  return true;
}

FollowUp change_percent_mode(Workspace& workspace, MainForm& form, bool molar, Ui& ui) {
  PhasesPageForm& page = form.phases;
  ExperimentSettings& settings = workspace.settings;
  page.molar_percent = molar;
  if (workspace.phase_count() == 0) return {};
  const bool in_molar = settings.percent_mode == "MOLEC";
  if (molar != in_molar) {
    for (int p = 1; p <= workspace.phase_count(); ++p) {
      if (!(workspace.phase(p).composition.molecular_weight > 0)) {
        ui.warning("No molecular weight for phase#" + std::to_string(p));
        page.molar_percent = in_molar;
        return {};
      }
    }
    // Weight to molar divides each share by M, molar to weight multiplies.
    std::vector<double> converted;
    double sum = 0;
    for (const PhaseData& phase : workspace.phases) {
      const double m = phase.composition.molecular_weight;
      converted.push_back(molar ? phase.fraction / m : phase.fraction * m);
      sum += converted.back();
    }
    if (sum > 0) {
      for (std::size_t i = 0; i < converted.size(); ++i) workspace.phases[i].fraction = converted[i] / sum;
    }
    settings.percent_mode = molar ? "MOLEC" : "POIDS";
  }
  page.percent_caption = settings.percent_mode == "MOLEC" ? "Molec" : "weight";
  show_percentages(workspace, page);
  form.results.clear();
  form.results_selected = -1;
  FollowUp follow_up;
  follow_up.recompute_all = true;
  return follow_up;
}

}  // namespace calvane
