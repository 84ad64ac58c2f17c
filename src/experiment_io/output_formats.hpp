// The formats the calculated results are written in: one table per kind of
// output, with each format's extension, its entry in the save dialogs and its
// writer. The save dialogs, the command line and its option checks all read
// these tables.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "experiment_io/peak_writers.hpp"
#include "experiment_io/profile_writers.hpp"

namespace calvane {

/// The profile formats, numbered as the entries of "Save the calculated
/// profile of the current phase".
enum class ProfileFileKind { NativeSim = 1, Cpi = 2, Cpd = 3 };

/// The peak-list formats, numbered as the entries of the peak-list save dialog.
enum class PeakListFormat { Column = 1, Bruker = 2, Philips = 3, Cif = 4 };

template <typename Kind>
struct OutputFormat {
  Kind kind;
  std::string_view extension;  // lower case, with its dot
};

inline constexpr OutputFormat<ProfileFileKind> kProfileFormats[] = {
    {ProfileFileKind::NativeSim, ".sim"}, {ProfileFileKind::Cpi, ".cpi"}, {ProfileFileKind::Cpd, ".cpd"}};
inline constexpr OutputFormat<PeakListFormat> kPeakListFormats[] = {{PeakListFormat::Column, ".prn"},
                                                                    {PeakListFormat::Bruker, ".dif"},
                                                                    {PeakListFormat::Philips, ".di"},
                                                                    {PeakListFormat::Cif, ".cif"}};

/// The save dialogs' filters, entry for entry in the order of the tables.
inline constexpr const char* kProfileFilter =
    "Calvane format (*.sim)|*.sim|CPI format (*.cpi)|*.cpi|CPD format (*.cpd)|*.cpd";
inline constexpr const char* kPeakListFilter =
    "list format (*.prn|*.prn|Bruker format (*.dif)|*.dif|Philips format (*.di)|*.di|CIF format (*.cif)|*.cif";

/// The format a file name's extension chooses (without regard to case); none
/// for another extension.
std::optional<ProfileFileKind> profile_format_of(std::string_view file_name);
std::optional<PeakListFormat> peak_list_format_of(std::string_view file_name);

std::string_view extension_of(ProfileFileKind kind);
std::string_view extension_of(PeakListFormat format);

/// The extensions of a table, for messages and option checks.
std::vector<std::string> profile_output_extensions();
std::vector<std::string> peak_list_output_extensions();

/// The file text of a profile in `kind`.
std::string write_profile(ProfileFileKind kind, const ProfileExport& profile);

/// The file of a phase's peak list in `format`.
PeakFileContent write_peak_list(PeakListFormat format, const PhaseData& phase, const ExperimentSettings& settings);

}  // namespace calvane
