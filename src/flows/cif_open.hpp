// Opening a CIF file as a new phase: the block scan, the block choice and
// the read of the chosen block.
#pragma once

namespace calvane {

struct Program;

/// Scans the current crystal file for structure blocks; with one block it is
/// read and added at once, with several the block chooser is shown.
void cif_block_scan(Program& program);

/// Reads the chosen block of the block table and adds it as a new phase.
/// Nothing changes when the read fails. (A phase being restored is read
/// through `read_crystal_file`, without the chooser.)
void open_chosen_cif_block(Program& program);

}  // namespace calvane
