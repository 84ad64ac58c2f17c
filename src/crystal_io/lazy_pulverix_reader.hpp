// Reader of Lazy-Pulverix crystal files (.lzy).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/current_crystal.hpp"
#include "util/message_sink.hpp"

namespace calvane {

/// The crystal of a Lazy-Pulverix file given as its lines; the symbol of
/// its SPCGRP line is checked against the system through `csp_list`.
std::optional<CurrentCrystal> read_lazy_pulverix(const std::vector<std::string>& lines,
                                                 const std::string& name,
                                                 const std::filesystem::path& csp_list, MessageSink& ui);

}  // namespace calvane
