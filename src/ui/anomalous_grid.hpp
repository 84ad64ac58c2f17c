// The crystal page's grid of anomalous-dispersion terms.
#pragma once

#include <vector>

#include "model/scattering_type.hpp"
#include "ui/main_form.hpp"

namespace calvane {

/// Row 0 the wavelengths (7:4) over columns 2j−1 and 2j, row 1 "Elem.",
/// "f '" and "f \"", then one row per type: symbol, f′ and f″ (6:3). At most
/// four wavelengths are shown.
void fill_anomalous_grid(TextGrid& grid, const std::vector<ScatteringType>& types,
                         const std::vector<double>& wavelengths);

}  // namespace calvane
