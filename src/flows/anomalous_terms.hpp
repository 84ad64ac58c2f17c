// The scattering types of the phases in the workspace: building them after
// the atoms change and choosing their anomalous terms, with the crystal
// page's grid following.
#pragma once

#include <string_view>

namespace calvane {

struct Program;

/// Which phases an anomalous-dispersion operation acts on.
enum class PhaseRange { Current, All };

/// Prepares the scattering types of the working crystal (see
/// prepare_scattering_types) and shows its anomalous terms. False after a
/// warning; the working crystal then keeps its types as they were, or, when
/// only the anomalous table failed, the new types without its terms.
bool build_phase_scattering_types(Program& program);

/// Fills f′ and f″ of every type of the phases in `range` from the table file
/// `file_name` of the program folder, for the wavelengths of the spectrum. The
/// working crystal counts as the current phase (and its types are stored into
/// it); the other phases are changed where they are kept. False, after a
/// warning, when the file cannot be read.
bool read_phase_anomalous_table(Program& program, std::string_view file_name, PhaseRange range);

/// Sets f′ and f″ of every type of the phases in `range` to 0.
void clear_phase_anomalous_terms(Program& program, PhaseRange range);

}  // namespace calvane
