#include "flows/crystal_reading.hpp"

#include "crystal_io/cif_reader.hpp"
#include "crystal_io/crystal_files.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

/// A CIF read without the block chooser. A phase read again names its own
/// block: the block of that name, else the block of its number. Otherwise the
/// block chosen last time when the file holds one of that name, else the first.
bool read_cif_without_chooser(Program& program, const CifBlockChoice& block) {
  CifBlockTable& table = program.workspace.cif_blocks;
  std::string chosen_name = block.name;
  if (block.number == 0 && table.chosen_block >= 1 && table.chosen_block <= static_cast<int>(table.blocks.size()))
    chosen_name = table.blocks[static_cast<std::size_t>(table.chosen_block - 1)].name;
  if (!scan_cif_blocks(program)) return false;
  const int count = static_cast<int>(table.blocks.size());
  table.chosen_block = block.number >= 1 && block.number <= count ? block.number : 1;
  for (int i = 0; i < count; ++i)
    if (table.blocks[static_cast<std::size_t>(i)].name == chosen_name) table.chosen_block = i + 1;
  return read_chosen_cif_block(program) == 0;
}

}  // namespace

bool read_crystal_file(Program& program, CrystalFileKind kind, const std::string& name, const CifBlockChoice& block) {
  Workspace& ws = program.workspace;
  if (kind == CrystalFileKind::Cif) {
    const std::string before = ws.crystal_file_name;
    ws.crystal_file_name = name;
    if (read_cif_without_chooser(program, block)) return true;
    ws.crystal_file_name = before;
    return false;
  }
  CrystalFileRequest request{program.resolve(name), kind, name, program.program_folder, block};
  auto crystal = read_crystal_file(request, program.ui);
  if (!crystal) return false;
  // "Restore modif" of a SHELX phase whose symbol the user picked keeps it.
  if (kind == CrystalFileKind::Shelx && crystal->symbol.empty() && ws.restoring && ws.current_phase >= 1 &&
      ws.current_phase <= ws.phase_count())
    crystal->symbol = ws.phase(ws.current_phase).crystal.symbol;
  if (kind != CrystalFileKind::Native) ws.crystal_file_name = name;
  ws.crystal = std::move(*crystal);
  return true;
}

bool scan_cif_blocks(Program& program) {
  CifBlockTable& table = program.workspace.cif_blocks;
  table = CifBlockTable{};
  const std::string& name = program.workspace.crystal_file_name;
  auto blocks = scan_cif_file(program.resolve(name), name, program.ui);
  if (!blocks) return false;
  table.blocks = std::move(*blocks);
  return true;
}

int read_chosen_cif_block(Program& program) {
  const CifBlockTable& table = program.workspace.cif_blocks;
  if (table.chosen_block < 1 || table.chosen_block > static_cast<int>(table.blocks.size())) return 1;
  const std::string& name = program.workspace.crystal_file_name;
  auto crystal = read_cif_file_block(program.resolve(name), name,
                                     table.blocks[static_cast<std::size_t>(table.chosen_block - 1)], program.ui);
  if (!crystal) return 1;
  program.workspace.crystal = std::move(*crystal);
  return 0;
}

bool complete_shelx_space_group(Program& program) {
  if (!program.workspace.crystal.symbol.empty()) return true;
  program.ui.warning("CalvaneMP can't find the space group symbol");
  program.ui.show_window(WindowId::SpaceGroup, true);
  return false;
}

}  // namespace calvane
