// Small workspaces for tests: a current phase of one atom with its scattering types.
#pragma once

#include <gtest/gtest.h>

#include "flows/anomalous_terms.hpp"
#include "flows/program.hpp"

namespace calvane::testing {

/// Adds a phase holding one atom of `type` (iron unless told) at the origin,
/// makes it current and builds its scattering types (the program folder must
/// hold the data files).
inline void add_one_atom_phase(Program& program, const char* type = "Fe") {
  PhaseData phase;
  phase.crystal.atoms.push_back(AtomSite{type, "", 0, 0, 0, 0, 1, 0, 0, 0});
  program.workspace.phases.push_back(phase);
  program.workspace.current_phase = program.workspace.phase_count();
  load_current_phase(program.workspace);
  ASSERT_TRUE(build_phase_scattering_types(program));
}

}  // namespace calvane::testing
