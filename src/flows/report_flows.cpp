#include "flows/report_flows.hpp"

#include "flows/program.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

void show_listing(Program& program, const std::string& suffix) {
  const Workspace& workspace = program.workspace;
  if (workspace.phases.empty()) {
    program.ui.warning("No calculated diagram!");
    return;
  }
  const int number = workspace.current_phase;
  if (number < 1 || number > workspace.phase_count()) return;
  program.ui.show_text_file((program.program_folder / ("phase" + std::to_string(number) + suffix)).string());
}

}  // namespace

void show_detailed_listing(Program& program) { show_listing(program, "2.out"); }

void show_short_listing(Program& program) { show_listing(program, ".out"); }

void show_crystal_data_page(Program& program) { program.main_form.page = MainPage::CrystalData; }

void show_global_report(Program& program) {
  if (program.workspace.phases.empty()) return;
  const std::filesystem::path path = program.program_folder / kReportFileName;
  const std::string problem =
      write_global_report(path, program.workspace, program.main_form.results, program.file_list.recorded_file);
  if (!problem.empty()) {
    program.ui.warning(std::string(kReportFileName) + " could not be written: " + problem);
    return;
  }
  program.ui.show_text_file(path.string());
}

}  // namespace calvane
