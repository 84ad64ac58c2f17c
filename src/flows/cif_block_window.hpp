// The CIF block chooser's handlers: filling the list, OK and Close.
#pragma once

#include "ui/cif_block_form.hpp"

namespace calvane {

struct Program;

/// On activation: fills the list from the workspace's block table and
/// selects the first block.
void initialise(Program& program);

/// OK: the selected block is chosen, the window closes and the block is read.
void BitBtn1Click(Program& program);

/// Close: the window closes and nothing is read.
void BitBtn3Click(Program& program);

}  // namespace calvane
