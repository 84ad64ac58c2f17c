// Reading crystal files into the working crystal: the flows around the
// readers, which keep the workspace's CIF block table and ask the user what
// a file does not say.
#pragma once

#include <string>

#include "model/phase_data.hpp"
#include "model/workspace.hpp"

namespace calvane {

struct Program;

/// Reads `name` (resolved against the current folder) as a crystal file of
/// `kind` into the working crystal. A CIF names the block `block` gives, else
/// the block chosen last time when the file holds one of that name, else the
/// first. False after a warning, the working crystal unchanged.
bool read_crystal_file(Program& program, CrystalFileKind kind, const std::string& name,
                       const CifBlockChoice& block = {});

/// Scans the current crystal file for valuable blocks into the workspace's
/// block table. False after a warning.
bool scan_cif_blocks(Program& program);

/// Reads the chosen block of the block table from the current crystal file
/// into the working crystal: 0 on success, 1 after a warning with the
/// working crystal unchanged.
int read_chosen_cif_block(Program& program);

/// A SHELX crystal without a space-group symbol: says so and opens the
/// space-group window. False then.
bool complete_shelx_space_group(Program& program);

}  // namespace calvane
