// The CIF block chooser's handlers: filling the list, OK and Close.
#pragma once

#include "ui/cif_block_form.hpp"

namespace calvane {

struct Program;

/// On activation: fills the list from the workspace's block table and
/// selects the first block.
void fill_cif_block_list(Program& program);

/// OK: the selected block is chosen, the window closes and the block is read.
void accept_cif_block(Program& program);

/// Close: the window closes and nothing is read.
void close_cif_block_chooser(Program& program);

}  // namespace calvane
