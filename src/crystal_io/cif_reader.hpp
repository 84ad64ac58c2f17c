// Reading a crystal structure from a CIF data block: formula, cell,
// symmetry operators, space-group symbol and atom sites, in the core and
// the older (symCIF 1.0 "_symmetry_") dictionaries.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "crystal_io/cif_block_table.hpp"
#include "crystal_io/cif_document.hpp"
#include "crystal_io/current_crystal.hpp"
#include "ui/ui_port.hpp"

namespace calvane {

struct Program;

/// 8π², the factor between U and B.
inline constexpr double kUToB = 78.95683520871486;

/// A block holds a structure when it has at least two of: a cell length a,
/// an operator list, a Hermann-Mauguin symbol, a Hall symbol. A block named
/// "global" never does.
bool is_valuable_block(const CifBlock& block);

/// The valuable blocks of a file, in file order (all of them).
std::vector<CifBlockEntry> valuable_blocks(const CifFile& file);

struct DecodedLabel {
  std::string element_part;  // as cut from the label
  std::string type;          // element symbol: "Fe", "O"
  std::string label;         // what follows the element, at most 2 characters
  bool known = false;        // the element part (or its first letter) is an element
};

/// An atom label such as Fe1 or O2a: a digit in second place means a
/// one-letter element; an unknown two-letter part falls back to its first
/// letter (Oa gives O).
DecodedLabel decode_atom_label(std::string_view label);

/// The crystal of one data block of the file `file` (named in messages).
/// Warnings (and refusals) go to `ui`; empty when the block cannot give a
/// crystal.
std::optional<CurrentCrystal> read_cif_block(const CifBlock& block, Ui& ui, const std::string& file = {});

/// Scans the workspace's current crystal file for valuable blocks into the
/// workspace's block table. Warns and returns false when the file cannot be
/// parsed or holds no valuable block.
bool scan_cif_blocks(Program& program);

/// Reads the chosen block of the block table from the current crystal file
/// into the working crystal: 0 on success, 1 after a warning with the
/// working crystal unchanged.
int read_chosen_cif_block(Program& program);

}  // namespace calvane
