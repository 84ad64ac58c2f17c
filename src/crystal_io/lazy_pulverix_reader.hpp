// Reader of Lazy-Pulverix crystal files (.lzy).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "crystal_io/current_crystal.hpp"
#include "ui/ui_port.hpp"

namespace calvane {

struct Program;

/// The crystal of a Lazy-Pulverix file given as its lines; the symbol of
/// its SPCGRP line is checked against the system through `csp_list`.
std::optional<CurrentCrystal> read_lazy_pulverix(const std::vector<std::string>& lines, const std::string& name,
                                                 const std::filesystem::path& csp_list, Ui& ui);

/// Reads the workspace's current crystal file into the working crystal:
/// 0 on success, 1 after a warning with the working crystal unchanged.
int read_lazy_pulverix_file(Program& program);

}  // namespace calvane
