// The scattering types of the phases in the workspace: building them after
// the atoms change, filling their anomalous terms from a table file, and the
// crystal page's anomalous-dispersion grid.
#pragma once

#include <string_view>
#include <vector>

#include "crystallography/scattering_type.hpp"
#include "ui/main_form.hpp"
#include "workspace/program.hpp"

namespace calvane {

/// Which phases an anomalous-dispersion operation acts on.
enum class PhaseRange { Current, All };

/// After the atoms of the working crystal change: types and type indices,
/// form-factor coefficients, absorption points from "muro.dat", f′ and f″ from
/// "Brcow.an" for the working crystal, and the anomalous grid. A phase with
/// too many elements or an element missing from the form-factor table gets a
/// warning (after a beep) and false; the working crystal is then left as it
/// was. A missing or damaged table file is reported and the types stay without
/// those values.
bool build_scattering_types(Program& program);

/// Fills f′ and f″ of every type of the phases in `range` from the table file
/// `file_name` of the program folder, for the wavelengths of the spectrum. The
/// working crystal counts as the current phase (and is stored into it); the
/// other phases are changed where they are kept. The current phase stays
/// current. False, after a warning, when the file cannot be read.
bool read_anomalous_table(Program& program, std::string_view file_name, PhaseRange range);

/// Sets f′ and f″ of every type of the phases in `range` to 0.
void clear_anomalous_terms(Program& program, PhaseRange range);

/// The phase's per-element anomalous table (PhaseComposition::anomalous) as
/// the types hold it.
void copy_anomalous_terms(const std::vector<ScatteringType>& types, PhaseComposition& composition);

/// The anomalous grid: row 0 the wavelengths (7:4) over columns 2j−1 and 2j,
/// row 1 "Elem.", "f '" and "f \"", then one row per type: symbol, f′ and f″ (6:3).
void fill_anomalous_grid(TextGrid& grid, const std::vector<ScatteringType>& types,
                         const std::vector<double>& wavelengths);

}  // namespace calvane
