#include "crystal_io/cif_open.hpp"

#include "crystal_io/cif_reader.hpp"
#include "crystal_io/crystal_page.hpp"
#include "crystal_io/open_flow.hpp"
#include "ui/cif_block_form.hpp"
#include "workspace/program.hpp"

namespace calvane {

void cif_block_scan(Program& program) {
  if (!scan_cif_blocks(program)) return;
  CifBlockTable& table = program.workspace.cif_blocks;
  if (table.blocks.size() > 1) {
    initialise(program);
    program.cif_block_form.visible = true;
    program.ui.show_window(WindowId::CifBlocks, true);
    return;
  }
  table.chosen_block = 1;
  open_chosen_cif_block(program);
}

void open_chosen_cif_block(Program& program) {
  Workspace& ws = program.workspace;
  if (read_chosen_cif_block(program) != 0) return;
  program.main_form.crystal.system_index = system_index_of(ws.crystal.system_code);
  if (ws.restoring && ws.current_phase >= 1) {
    store_current_phase(ws);
    show_phase_page(program);
    return;
  }
  add_loaded_phase(program);
}

}  // namespace calvane
