#include "flows/startup.hpp"

#include <algorithm>
#include <string>

#include "flows/crystal_page.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

struct RequiredFile {
  const char* name;
  const char* message;
};

// Checked in this order; a later missing file replaces the message of an earlier one.
constexpr RequiredFile kRequiredFiles[] = {
    {"spgr2.dat", "File spgr2.dat not found"}, {"brcow.an", "File Brcow.an not found"},
    {"csp.lst", "File Csp.lst not found"},     {"spgr.peq", "File spgr.peq not found"},
    {"muro.dat", "File muro.dat not found"},
};

void delete_old_listings(const Program& program) {
  for (int p = 0; p <= 8; ++p) {
    remove_file_quietly(program.program_folder / ("phase" + std::to_string(p) + ".out"));
    remove_file_quietly(program.program_folder / ("phase" + std::to_string(p) + "2.out"));
  }
  remove_file_quietly(program.program_folder / "report_cmp.txt");
}

void set_default_forms(Program& program) {
  MainForm& form = program.main_form;
  form = MainForm{};
  set_atom_grid_headings(form.crystal);
  form.experiment.spectrum.set_cell(0, 0, "Lambda");
  form.experiment.spectrum.set_cell(0, 1, "%");
  form.experiment.spectrum.set_cell(0, 2, "<mu><rho>");
}

}  // namespace

bool initialise_program(Program& program) {
  Workspace& ws = program.workspace;
  reset_workspace(ws);
  program.main_form.page = MainPage::ExperimentalData;
  ws.settings.profile_points = std::clamp(program.ui.screen_width(), 2, kMaxProfilePoints);
  ws.calculation_count = 0;
  ws.keyboard_capture = false;

  const char* pending = nullptr;
  for (const RequiredFile& file : kRequiredFiles)
    if (!find_file_ignoring_case(program.program_folder, file.name)) pending = file.message;
  if (pending != nullptr) {
    program.ui.beep();
    program.ui.warning(pending);
    return false;
  }

  delete_old_listings(program);
  // A run that crashed left its scratch folder behind; nothing else removes it.
  program.scratch.remove_abandoned();
  program.current_folder = program.program_folder;
  const int points = ws.settings.profile_points;
  ws.settings = ExperimentSettings{};
  ws.settings.profile_points = points;
  set_default_forms(program);
  return true;
}

void quit_program(Program& program) {
  const Workspace& ws = program.workspace;
  // Scratch files are deleted only where the program made them: a user's own
  // "x_mp.cry" opened as a phase is the user's file.
  for (int p = 1; p <= ws.phase_count(); ++p) {
    remove_scratch_file(program, ws.phase(p).file_name);
    remove_file_quietly(program.program_folder / ("phase" + std::to_string(p) + ".out"));
    remove_file_quietly(program.program_folder / ("phase" + std::to_string(p) + "2.out"));
  }
  for (const ObservedPattern& pattern : ws.observed_patterns) remove_scratch_file(program, pattern.file_name);
  for (const ObservedPeakList& peaks : ws.observed_peaks) remove_scratch_file(program, peaks.file_name);
  program.ui.quit();
}

void remove_scratch_file(const Program& program, const std::string& name) {
  if (name.empty()) return;
  const std::filesystem::path path = program.resolve(name);
  if (program.scratch.holds(path)) remove_file_quietly(path);
}

}  // namespace calvane
