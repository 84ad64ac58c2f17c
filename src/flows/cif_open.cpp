#include "flows/cif_open.hpp"

#include "crystal_io/cif_reader.hpp"
#include "flows/crystal_page.hpp"
#include "flows/open_flow.hpp"
#include "flows/cif_block_window.hpp"
#include "flows/program.hpp"

namespace calvane {

void cif_block_scan(Program& program) {
  if (!scan_cif_blocks(program)) return;
  CifBlockTable& table = program.workspace.cif_blocks;
  if (table.blocks.size() > 1) {
    fill_cif_block_list(program);
    program.cif_block_form.visible = true;
    program.ui.show_window(WindowId::CifBlocks, true);
    return;
  }
  table.chosen_block = 1;
  open_chosen_cif_block(program);
}

void open_chosen_cif_block(Program& program) {
  if (read_chosen_cif_block(program) != 0) return;
  program.main_form.crystal.system_index = system_index_of(program.workspace.crystal.system_code);
  add_loaded_phase(program);
}

}  // namespace calvane
