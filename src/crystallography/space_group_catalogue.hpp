// The space-group catalogues beside the program: "spgr2.dat" (every setting the
// generator knows, in fixed line ranges per crystal system) and the ".pos"
// files of standard symbols with their positions, one per system.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace calvane {

/// Lines [first, last] (1-based) of "spgr2.dat" that hold a crystal system.
struct CatalogueRange {
  int first = 0;
  int last = 0;
};
std::optional<CatalogueRange> catalogue_range(std::string_view system_code);

/// A list item built from a "spgr2.dat" line: the Hermann-Mauguin field
/// (columns 6-17) padded to 12 characters, the Hall field (27-46) padded to
/// 17, the number (47-49) padded to 3. Empty for a line with no symbol.
std::string catalogue_item(std::string_view line);

/// What an item gives the crystal page: characters 1-12, 13-25 and 30-32, trimmed.
struct CatalogueFields {
  std::string hermann_mauguin;
  std::string hall;
  std::string number;
};
CatalogueFields catalogue_fields(std::string_view item);

/// The items of a system, blank lines left out; empty optional when
/// "spgr2.dat" cannot be read.
std::optional<std::vector<std::string>> read_catalogue_items(const std::filesystem::path& program_folder,
                                                             std::string_view system_code);

/// "C.pos", "Q.POS", "O.pos", "H.pos", "R.pos", "M.pos", "T.pos"; empty for
/// an unknown system code.
std::string pos_file_name(std::string_view system_code);

/// The symbols of a ".pos" file: the line after each blank line, trimmed.
std::vector<std::string> standard_symbols(const std::vector<std::string>& pos_lines);

/// Whether two spellings name the same setting: equal once blanks are removed
/// and case ignored, or resolved to the same entry of gemmi's table ("P21/c",
/// "P 21/c" and "P 1 21/c 1"). On a rhombohedral phase ("RHOM") a symbol
/// without suffix means rhombohedral axes.
bool same_space_group(std::string_view a, std::string_view b, std::string_view system_code);

/// The first of `symbols` that names the same setting as `symbol`.
std::optional<std::size_t> find_same_space_group(const std::vector<std::string>& symbols,
                                                 std::string_view symbol, std::string_view system_code);

/// The index in `pos_lines` of the symbol line of the record for `symbol`:
/// the exact spelling first, then any spelling of the same setting.
std::optional<std::size_t> find_pos_record(const std::vector<std::string>& pos_lines, std::string_view symbol,
                                           std::string_view system_code);

/// Where a symbol was found and what the crystal page shows for it.
struct CatalogueSymbol {
  bool from_generator_catalogue = false;  // "spgr2.dat" (GETSPEC route) or a ".pos" file
  std::size_t index = 0;                  // item in that catalogue's list, 0-based
  std::string hermann_mauguin;            // the catalogue's spelling
  std::string hall;                       // empty for a ".pos" symbol
  std::string number;
};

/// Looks a symbol up in the system's catalogues. First exactly, as the
/// selection window does: a "spgr2.dat" item whose Hermann-Mauguin field
/// equals it (case ignored) or whose Hall field equals it without blanks, then
/// a ".pos" symbol equal to it (case ignored). Then tolerantly, with
/// `same_space_group`, in the same order. Empty when neither catalogue knows it.
std::optional<CatalogueSymbol> find_catalogue_symbol(const std::vector<std::string>& catalogue_items,
                                                     const std::vector<std::string>& symbols,
                                                     std::string_view symbol, std::string_view system_code);

/// The same, reading both catalogues of the system from the program folder.
std::optional<CatalogueSymbol> find_catalogue_symbol(const std::filesystem::path& program_folder,
                                                     std::string_view symbol, std::string_view system_code);

}  // namespace calvane
