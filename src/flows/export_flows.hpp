// Saving the current phase's calculated profile and peak list: the menu flows
// with their dialogs, extensions and overwrite question.
#pragma once

#include <string>

namespace calvane {

struct Program;

/// The three profile formats, in the order of "Save the calculated profile of the current phase".
enum class ProfileFileKind { NativeSim = 1, Cpi = 2, Cpd = 3 };

inline constexpr const char* kProfileFilter =
    "Calvane format (*.sim)|*.sim|CPI format (*.cpi)|*.cpi|CPD format (*.cpd)|*.cpd";
inline constexpr const char* kPeakListFilter =
    "list format (*.prn|*.prn|Bruker format (*.dif)|*.dif|Philips format (*.di)|*.di|CIF format (*.cif)|*.cif";
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
