#include "flows/export_flows.hpp"

#include <filesystem>

#include "experiment_io/peak_writers.hpp"
#include "experiment_io/profile_writers.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

const PhaseData* current_phase(const Program& program) {
  const Workspace& workspace = program.workspace;
  if (workspace.current_phase < 1 || workspace.current_phase > workspace.phase_count()) return nullptr;
  return &workspace.phase(workspace.current_phase);
}

// Only Yes continues over an existing file.
bool may_write(Program& program, const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return true;
  return program.ui.confirm(kOverwriteQuestion) == Answer::Yes;
}

bool write_or_warn(Program& program, const std::filesystem::path& path, const std::string& content) {
  std::string error = write_file_atomically(path, content);
  if (!error.empty()) {
    program.ui.warning("The file " + path.filename().string() + " could not be written: " + error);
    return false;
  }
  return true;
}

ProfileFileKind profile_kind_from_name(const std::string& name, ProfileFileKind kind) {
  std::string lower = to_lower(file_name_of(name));
  if (contains(lower, ".sim")) return ProfileFileKind::NativeSim;
  if (contains(lower, ".cpi")) return ProfileFileKind::Cpi;
  if (contains(lower, ".cpd")) return ProfileFileKind::Cpd;
  return kind;
}

const char* profile_extension(ProfileFileKind kind) {
  switch (kind) {
    case ProfileFileKind::NativeSim: return ".sim";
    case ProfileFileKind::Cpi: return ".cpi";
    case ProfileFileKind::Cpd: return ".cpd";
  }
  return ".sim";
}

enum class PeakListFormat { None, Column, Bruker, Philips, Cif };

PeakListFormat peak_list_format(const std::string& name) {
  std::string lower = to_lower(file_name_of(name));
  if (contains(lower, ".prn")) return PeakListFormat::Column;
  if (contains(lower, ".dif")) return PeakListFormat::Bruker;
  if (contains(lower, ".di")) return PeakListFormat::Philips;
  if (contains(lower, ".cif")) return PeakListFormat::Cif;
  return PeakListFormat::None;
}

}  // namespace

bool export_profile(Program& program, ProfileFileKind kind, const std::string& date) {
  const PhaseData* phase = current_phase(program);
  if (!phase) return false;
  if (phase->profile.empty()) {
    program.ui.warning("The current phase has no calculated profile");
    return false;
  }
  auto chosen = program.ui.save_file({kProfileFilter, static_cast<int>(kind), program.current_folder.string(), {}});
  if (!chosen || chosen->path.empty()) return false;
  std::string name = chosen->path;
  kind = profile_kind_from_name(name, kind);
  if (!contains(to_lower(file_name_of(name)), profile_extension(kind))) name += profile_extension(kind);
  std::filesystem::path path = program.resolve(name);
  if (!may_write(program, path)) return false;
  ProfileExport profile = profile_export_of(*phase, program.workspace.settings, date);
  switch (kind) {
    case ProfileFileKind::NativeSim: return write_or_warn(program, path, write_sim_profile(profile));
    case ProfileFileKind::Cpi: return write_or_warn(program, path, write_cpi_profile(profile));
    case ProfileFileKind::Cpd: return write_or_warn(program, path, write_cpd_profile(profile));
  }
  return false;
}

bool export_sim_profile(Program& program) { return export_profile(program, ProfileFileKind::NativeSim, today_text()); }
bool export_cpi_profile(Program& program) { return export_profile(program, ProfileFileKind::Cpi, today_text()); }
bool export_cpd_profile(Program& program) { return export_profile(program, ProfileFileKind::Cpd, today_text()); }

bool save_hkl_list(Program& program, int entry) {
  static constexpr const char* kExtensions[] = {".prn", ".dif", ".di", ".cif"};
  const PhaseData* phase = current_phase(program);
  if (!phase || entry < 1 || entry > 4) return false;
  auto chosen = program.ui.save_file({kPeakListFilter, entry, program.current_folder.string(), {}});
  if (!chosen || chosen->path.empty()) return false;
  std::string name = chosen->path;
  if (!contains(file_name_of(name), ".")) name += kExtensions[entry - 1];
  PeakListFormat format = peak_list_format(name);
  if (format == PeakListFormat::None) {
    program.ui.warning("The name " + file_name_of(name) + " has none of the extensions .prn, .dif, .di and .cif: nothing was written");
    return false;
  }
  std::filesystem::path path = program.resolve(name);
  if (!may_write(program, path)) return false;
  const ExperimentSettings& settings = program.workspace.settings;
  PeakFileContent content;
  switch (format) {
    case PeakListFormat::Column: content = write_prn_peaks(*phase); break;
    case PeakListFormat::Bruker: content = write_dif_peaks(*phase, settings); break;
    case PeakListFormat::Philips: content = write_di_peaks(*phase, settings); break;
    case PeakListFormat::Cif: content = write_powder_cif(*phase, settings); break;
    case PeakListFormat::None: return false;
  }
  if (!write_or_warn(program, path, content.bytes)) return false;
  if (content.left_out > 0)
    program.ui.warning(std::to_string(content.left_out) + " reflections do not fit the layout of " +
                       path.filename().string() + " and were left out");
  return true;
}

}  // namespace calvane
