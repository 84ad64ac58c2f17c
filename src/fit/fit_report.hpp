// The fit's results as text: the table of the global report and the JSON
// report of calvane-sim.
#pragma once

#include <string>
#include <vector>

#include "fit/pattern_fit.hpp"

namespace calvane {

/// The table that follows the phases in the global report: figures of merit,
/// the zero shift and displacement, then one line per phase with its scale,
/// weight and molar percentages, texture ratio, size and cell scale, and
/// any note (a large absorption contrast).
std::vector<std::string> fit_table_lines(const FitResult& result, const FitChoices& choices);

/// {"rwp": …, "rp": …, "chi2": …, "zero_shift_deg": …, "displacement_um": …,
/// "background": […], "phases": [{"file": …, "scale": …, "weight_percent": …,
/// "weight_percent_esd": …, "molar_percent": …, "po_ratio": …}]}, with the
/// zero shift, displacement, background and ratio present when fitted, and
/// the esds, sizes and cell scales beside them.
std::string fit_report_json(const FitResult& result, const FitChoices& choices);

}  // namespace calvane
