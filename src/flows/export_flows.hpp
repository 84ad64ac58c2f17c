// Saving the current phase's calculated profile and peak list: the menu flows
// with their dialogs, extensions and overwrite question.
#pragma once

#include "experiment_io/output_formats.hpp"

#include <string>

namespace calvane {

struct Program;

inline constexpr const char* kOverwriteQuestion = "This file already exists. Do you want to continue?";

/// Writes the current phase's profile; `date` is the text dated files carry.
/// True when a file was written.
bool export_profile(Program& program, ProfileFileKind kind, const std::string& date);

bool export_sim_profile(Program& program);
bool export_cpi_profile(Program& program);
bool export_cpd_profile(Program& program);

/// `save_hkl_list`: entry 1..4 of "Save the peaks list of the current phase".
/// True when a file was written.
bool save_hkl_list(Program& program, int entry);

}  // namespace calvane
