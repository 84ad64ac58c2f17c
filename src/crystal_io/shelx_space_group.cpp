#include "crystal_io/shelx_space_group.hpp"

#include "workspace/program.hpp"

namespace calvane {

bool complete_shelx_space_group(Program& program) {
  if (!program.workspace.crystal.symbol.empty()) return true;
  program.ui.warning("CalvaneMP can't find the space group symbol");
  program.ui.show_window(WindowId::SpaceGroup, true);
  return false;
}

}  // namespace calvane
