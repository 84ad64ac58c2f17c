#include "experiment_io/output_formats.hpp"

#include <filesystem>

#include "util/text.hpp"

namespace calvane {

namespace {

std::string lower_extension(std::string_view file_name) {
  return to_lower(std::filesystem::path(std::string(file_name)).extension().string());
}

template <typename Kind, std::size_t N>
std::optional<Kind> format_of(const OutputFormat<Kind> (&table)[N], std::string_view file_name) {
  const std::string extension = lower_extension(file_name);
  for (const auto& format : table)
    if (format.extension == extension) return format.kind;
  return std::nullopt;
}

template <typename Kind, std::size_t N>
std::string_view extension_in(const OutputFormat<Kind> (&table)[N], Kind kind) {
  for (const auto& format : table)
    if (format.kind == kind) return format.extension;
  return table[0].extension;
}

template <typename Kind, std::size_t N>
std::vector<std::string> extensions_in(const OutputFormat<Kind> (&table)[N]) {
  std::vector<std::string> extensions;
  for (const auto& format : table) extensions.emplace_back(format.extension);
  return extensions;
}

}  // namespace

std::optional<ProfileFileKind> profile_format_of(std::string_view file_name) {
  return format_of(kProfileFormats, file_name);
}
std::optional<PeakListFormat> peak_list_format_of(std::string_view file_name) {
  return format_of(kPeakListFormats, file_name);
}

std::string_view extension_of(ProfileFileKind kind) { return extension_in(kProfileFormats, kind); }
std::string_view extension_of(PeakListFormat format) { return extension_in(kPeakListFormats, format); }

std::vector<std::string> profile_output_extensions() { return extensions_in(kProfileFormats); }
std::vector<std::string> peak_list_output_extensions() { return extensions_in(kPeakListFormats); }

std::string write_profile(ProfileFileKind kind, const ProfileExport& profile) {
  switch (kind) {
    case ProfileFileKind::Cpi: return write_cpi_profile(profile);
    case ProfileFileKind::Cpd: return write_cpd_profile(profile);
    case ProfileFileKind::NativeSim: break;
  }
  return write_sim_profile(profile);
}

PeakFileContent write_peak_list(PeakListFormat format, const PhaseData& phase, const ExperimentSettings& settings) {
  switch (format) {
    case PeakListFormat::Bruker: return write_dif_peaks(phase, settings);
    case PeakListFormat::Philips: return write_di_peaks(phase, settings);
    case PeakListFormat::Cif: return write_powder_cif(phase, settings);
    case PeakListFormat::Column: break;
  }
  return write_prn_peaks(phase);
}

}  // namespace calvane
