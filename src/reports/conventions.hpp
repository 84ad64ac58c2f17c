// The conventions behind a computation's intensities, stated: the tables and
// their sources, the anomalous terms used per element and wavelength, the
// Lorentz-polarisation factor, the absorption treatment, the multiplicity
// and every default a reader applied. Intensities of different programs
// differ mostly through these choices, so each output can carry them.
#pragma once

#include <string>
#include <vector>

#include "model/workspace.hpp"

namespace calvane {

struct ElementAnomalousTerms {
  std::string element;
  std::vector<double> f_prime, f_second;  // one per wavelength of the spectrum
};

struct PhaseConventions {
  std::string name, file;
  std::string anomalous_table, anomalous_source;  // empty table: f' = f'' = 0
  std::vector<ElementAnomalousTerms> anomalous;
  std::vector<std::string> reader_defaults;  // what the reader assumed, naming the atoms
  double crystallite_size = 0, strain = 0;    // Å and Δd/d
};

struct Conventions {
  std::string radiation;  // "xray tube", "synchrotron" or "neutron"
  std::vector<double> wavelengths;
  std::string form_factors, neutron_lengths, absorption_table;
  std::string lorentz_polarisation, absorption, multiplicity, displacement, intensity;
  double polarisation = 0;
  std::vector<PhaseConventions> phases;
};

/// The conventions of the workspace as computed: one entry per phase.
Conventions conventions_of(const Workspace& workspace);

/// As a JSON object (UTF-8, two-space indentation).
std::string conventions_json(const Conventions& conventions);

/// As lines of the global report.
std::vector<std::string> conventions_report_lines(const Conventions& conventions);

}  // namespace calvane
