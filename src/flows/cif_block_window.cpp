#include "flows/cif_block_window.hpp"

#include "flows/cif_open.hpp"
#include "flows/program.hpp"

namespace calvane {

void fill_cif_block_list(Program& program) {
  CifBlockForm& form = program.cif_block_form;
  form.blocks.clear();
  for (const CifBlockEntry& entry : program.workspace.cif_blocks.blocks) form.blocks.push_back(entry.name);
  form.selected = form.blocks.empty() ? -1 : 0;
  form.read_notice_visible = false;
}

void accept_cif_block(Program& program) {
  CifBlockForm& form = program.cif_block_form;
  if (form.selected < 0 || form.selected >= static_cast<int>(form.blocks.size())) return;
  program.workspace.cif_blocks.chosen_block = form.selected + 1;
  form.visible = false;
  program.ui.show_window(WindowId::CifBlocks, false);
  open_chosen_cif_block(program);
}

void close_cif_block_chooser(Program& program) {
  program.cif_block_form.visible = false;
  program.ui.show_window(WindowId::CifBlocks, false);
}

}  // namespace calvane
