// Writers of a calculated profile as an observed-pattern file: native .sim (the RAW2 layout), CPI and CPD.
#pragma once

#include <string>
#include <vector>

namespace calvane {

struct ExperimentSettings;
struct PhaseData;

/// What a profile file holds: the points on the experiment's 2θ grid and
/// the radiation that produced them.
struct ProfileExport {
  std::vector<double> values;       // one per grid point
  double first_two_theta = 0;       // degrees
  double last_two_theta = 0;
  std::string title;                // the crystal title
  std::string tube_anode;           // anode of the chosen tube, empty when none
  double tube_wavelength = 0;       // Å, wavelength of the chosen tube
  std::vector<double> wavelengths;  // the experiment's spectrum
  std::vector<double> fractions;
  std::string date;                 // today's date as text

  double step() const;              // (last − first) / (points − 1)
  double two_theta(int index) const;  // 0-based point
};

/// The profile of `phase` on the experiment's grid. The tube is the chosen
/// line of the experiment; with no line chosen, the first wavelength and
/// the anode code stand for it.
ProfileExport profile_export_of(const PhaseData& phase, const ExperimentSettings& settings, std::string date);

/// Today's date as "dd/mm/yyyy".
std::string today_text();

std::string write_sim_profile(const ProfileExport& profile);
std::string write_cpi_profile(const ProfileExport& profile);
std::string write_cpd_profile(const ProfileExport& profile);

/// The characteristic line of the main window's line list (1..20): its
/// wavelength in Å and anode; 0 and "" for any other index.
double line_wavelength(int index);
std::string line_anode(int index);

}  // namespace calvane
