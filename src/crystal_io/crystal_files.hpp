// Opening a crystal file of any supported kind: the one entry point that the
// desktop, the command line and scripts share. Path in, crystal and messages
// out; nothing else is touched.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "model/current_crystal.hpp"
#include "model/phase_data.hpp"
#include "model/workspace.hpp"
#include "util/message_sink.hpp"

namespace calvane {

struct CrystalFileRequest {
  std::filesystem::path path;
  CrystalFileKind kind = CrystalFileKind::Native;
  /// The name messages give the file (the path as the user wrote it); the
  /// path itself when empty.
  std::string shown_name;
  /// The folder of the installation data files (csp.lst, spgr2.dat, ...).
  std::filesystem::path data_folder;
  /// For a CIF: the block of this name, else of this 1-based number, else the first.
  CifBlockChoice block;
};

/// The crystal of the file, its derived cell quantities computed. A SHELX
/// file whose space group cannot be named from its operators comes back with
/// an empty symbol: the caller asks the user for it. Empty after a warning
/// when the file cannot be read, holds no atom, or the kind is not readable.
std::optional<CurrentCrystal> read_crystal_file(const CrystalFileRequest& request, MessageSink& messages);

/// The native reader alone, with the check of the symbol against the
/// crystal system (which may replace the symbol after a warning).
std::optional<CurrentCrystal> read_native_crystal_file(const std::filesystem::path& path,
                                                       const std::filesystem::path& data_folder,
                                                       MessageSink& messages);

/// Site occupation factors (fractions of the general position, as SHELX
/// writes them) to occupancies of each atom's own site.
void occupancies_from_site_occupation_factors(CurrentCrystal& crystal);

}  // namespace calvane
