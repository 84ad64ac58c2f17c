#include "crystal_io/shelx_space_group.hpp"

#include "crystal_io/crystal_file_kind.hpp"
#include "crystal_io/shelx_reader.hpp"
#include "crystallography/site_weights.hpp"
#include "crystallography/space_group_from_operators.hpp"
#include "util/text.hpp"
#include "workspace/program.hpp"

namespace calvane {

void occupancies_from_site_occupation_factors(CurrentCrystal& crystal) {
  const auto& operators = crystal.symmetry.operators;
  if (operators.empty()) return;
  for (AtomSite& atom : crystal.atoms) {
    const int images = site_multiplicity(operators, atom.x, atom.y, atom.z);
    if (images > 0) atom.population *= static_cast<double>(operators.size()) / images;
  }
}

int read_shelx_file(Program& program) {
  Workspace& ws = program.workspace;
  const CurrentCrystal before = ws.crystal;
  const std::string name = ws.crystal_file_name;
  const int status = is_shelx_result_name(name) ? read_shelx_result_file(program)
                                                      : read_shelx_instruction_file(program);
  if (status != 0) return status;
  if (!space_group_from_file(ws.crystal, program.resolve(name), program.program_folder, program.ui)) {
    ws.crystal = before;
    return 1;
  }
  occupancies_from_site_occupation_factors(ws.crystal);
  if (ws.crystal.symbol.empty() && ws.restoring && ws.current_phase >= 1 &&
      ws.current_phase <= ws.phase_count())
    ws.crystal.symbol = ws.phase(ws.current_phase).crystal.symbol;
  return 0;
}

bool complete_shelx_space_group(Program& program) {
  if (!program.workspace.crystal.symbol.empty()) return true;
  program.ui.warning("CalvaneMP can't find the space group symbol");
  program.ui.show_window(WindowId::SpaceGroup, true);
  return false;
}

}  // namespace calvane
