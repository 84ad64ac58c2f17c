// The "Results" list of the main window: every phase's reflections in the range.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace calvane {

struct Workspace;

/// Heading, rule, then per phase its scale factor line and one line per
/// merged reflection inside the angle range (index, h k l, d, angle in the
/// current scale, K × intensity, wavelength).
std::vector<std::string> results_list_lines(const Workspace& workspace);

/// The angle written in a clicked results line (characters 21 to 28), for
/// the fourth line and below; nothing for the heading lines or a line whose
/// angle column does not read as a number.
std::optional<double> results_line_angle(const std::vector<std::string>& lines, int index);

}  // namespace calvane
