// Running a foreign-format reader on the workspace's current crystal file.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "crystal_io/current_crystal.hpp"
#include "ui/ui_port.hpp"

namespace calvane {

struct Program;

using LineReader = std::function<std::optional<CurrentCrystal>(const std::vector<std::string>& lines,
                                                                const std::string& name, Ui& ui)>;

/// Reads the current crystal file (resolved against the current folder)
/// with `reader`. The working crystal changes only when the reader succeeds
/// and found at least one atom: 0 then, 1 after one warning otherwise.
int read_foreign_file(Program& program, const LineReader& reader);

}  // namespace calvane
