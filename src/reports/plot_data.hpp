// The plot's data as tables for other programs: the reflections of every
// phase, and the calculated profiles, their sum, the measured pattern and the
// difference on the profile's 2θ grid.
#pragma once

#include <string>

namespace calvane {

struct Workspace;

/// One row per reflection of every phase, in phase and list order, with the
/// columns phase,h,k,l,mult,lambda,d,two_theta,intensity,k_intensity.
std::string reflection_table_csv(const Workspace& workspace);

enum class TableLayout { Csv, XyText };

/// On the profile grid: 2θ, each phase's profile, the sum of the phases, the
/// first drawn measured pattern interpolated at each 2θ and scaled, as the
/// plot draws it, so that its highest point within the grid matches the
/// sum's, and the measured less the sum. CSV has a header line and leaves a
/// cell empty where the measured pattern does not reach; x-y text has a "#"
/// header line, blank-separated columns and "nan" there. Without a measured
/// pattern the last two columns are left out.
std::string plot_data_table(const Workspace& workspace, TableLayout layout);

}  // namespace calvane
