#include "crystal_io/shelx_space_group.hpp"

#include "crystal_io/shelx_reader.hpp"
#include "crystallography/space_group_from_operators.hpp"
#include "util/text.hpp"
#include "workspace/program.hpp"

namespace calvane {

int read_shelx_file(Program& program) {
  Workspace& ws = program.workspace;
  const CurrentCrystal before = ws.crystal;
  const std::string name = ws.crystal_file_name;
  const int status =
      contains(to_lower(name), ".res") ? read_shelx_result_file(program) : read_shelx_instruction_file(program);
  if (status != 0) return status;
  if (!space_group_from_file(ws.crystal, program.resolve(name), program.program_folder, program.ui)) {
    ws.crystal = before;
    return 1;
  }
  if (ws.crystal.symbol.empty() && ws.restoring && ws.current_phase >= 1 && ws.current_phase <= ws.phase_count())
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
