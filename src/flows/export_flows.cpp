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
  // The name's own extension chooses the format; without one, the chosen filter's.
  if (auto named = profile_format_of(name))
    kind = *named;
  else
    name += extension_of(kind);
  std::filesystem::path path = program.resolve(name);
  if (!may_write(program, path)) return false;
  return write_or_warn(program, path, write_profile(kind, profile_export_of(*phase, program.workspace.settings, date)));
}

bool export_sim_profile(Program& program) { return export_profile(program, ProfileFileKind::NativeSim, today_text()); }
bool export_cpi_profile(Program& program) { return export_profile(program, ProfileFileKind::Cpi, today_text()); }
bool export_cpd_profile(Program& program) { return export_profile(program, ProfileFileKind::Cpd, today_text()); }

bool save_hkl_list(Program& program, int entry) {
  const PhaseData* phase = current_phase(program);
  if (!phase || entry < 1 || entry > 4) return false;
  auto chosen = program.ui.save_file({kPeakListFilter, entry, program.current_folder.string(), {}});
  if (!chosen || chosen->path.empty()) return false;
  std::string name = chosen->path;
  if (!contains(file_name_of(name), ".")) name += extension_of(static_cast<PeakListFormat>(entry));
  const std::optional<PeakListFormat> format = peak_list_format_of(name);
  if (!format) {
    program.ui.warning("The name " + file_name_of(name) + " has none of the extensions .prn, .dif, .di and .cif: nothing was written");
    return false;
  }
  std::filesystem::path path = program.resolve(name);
  if (!may_write(program, path)) return false;
  const PeakFileContent content = write_peak_list(*format, *phase, program.workspace.settings);
  if (!write_or_warn(program, path, content.bytes)) return false;
  if (content.left_out > 0)
    program.ui.warning(std::to_string(content.left_out) + " reflections do not fit the layout of " +
                       path.filename().string() + " and were left out");
  return true;
}

}  // namespace calvane
