// Reading a crystal structure from a CIF data block: formula, cell,
// symmetry operators, space-group symbol and atom sites, in the core and
// the older (symCIF 1.0 "_symmetry_") dictionaries.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/cif_block_table.hpp"
#include "crystal_io/cif_document.hpp"
#include "model/current_crystal.hpp"
#include "util/message_sink.hpp"

namespace calvane {

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
std::optional<CurrentCrystal> read_cif_block(const CifBlock& block, MessageSink& ui, const std::string& file = {});

/// The valuable blocks of the CIF at `path` (named `shown_name` in
/// messages), at most 10 (with a warning when there are more). Empty after a
/// warning when the file cannot be parsed or holds no valuable block.
std::optional<std::vector<CifBlockEntry>> scan_cif_file(const std::filesystem::path& path,
                                                        const std::string& shown_name, MessageSink& messages);

/// The crystal of the block `entry` (as a scan of the same file found it);
/// the lines the tolerant parser mended come first among its read notes.
/// Empty after a warning when the file or the block cannot be read.
std::optional<CurrentCrystal> read_cif_file_block(const std::filesystem::path& path, const std::string& shown_name,
                                                  const CifBlockEntry& entry, MessageSink& messages);

}  // namespace calvane
