// Reader of PowderCell crystal files (.cel).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/current_crystal.hpp"
#include "util/message_sink.hpp"

namespace calvane {

/// The crystal of a PowderCell file given as its lines. The space-group
/// number of its RGNR line is named through the list `csp_list`.
std::optional<CurrentCrystal> read_powdercell(const std::vector<std::string>& lines, const std::string& name,
                                              const std::filesystem::path& csp_list, MessageSink& ui);

}  // namespace calvane
