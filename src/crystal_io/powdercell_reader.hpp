// Reader of PowderCell crystal files (.cel).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "crystal_io/current_crystal.hpp"
#include "ui/ui_port.hpp"

namespace calvane {

struct Program;

/// The crystal of a PowderCell file given as its lines. The space-group
/// number of its RGNR line is named through the list `csp_list`.
std::optional<CurrentCrystal> read_powdercell(const std::vector<std::string>& lines, const std::string& name,
                                              const std::filesystem::path& csp_list, Ui& ui);

/// Reads the workspace's current crystal file into the working crystal:
/// 0 on success, 1 after a warning with the working crystal unchanged.
int read_powdercell_file(Program& program);

}  // namespace calvane
