#include "flows/plot_data_export.hpp"

#include "flows/image_export_flows.hpp"
#include "flows/program.hpp"
#include "reports/plot_data.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

bool nothing_to_save(Program& program, bool needs_phase) {
  const Workspace& workspace = program.workspace;
  if (needs_phase ? workspace.phases.empty() : !has_plot_data(workspace)) {
    program.ui.warning("No calculated diagram!");
    return true;
  }
  return false;
}

}  // namespace

bool save_reflection_table(Program& program) {
  if (nothing_to_save(program, true)) return false;
  const auto path =
      choose_output_file(program, {kReflectionTableFilter, 1, program.current_folder.string(), ""}, ".csv");
  return path && save_bytes(program, *path, reflection_table_csv(program.workspace));
}

bool save_plot_data(Program& program) {
  if (nothing_to_save(program, false)) return false;
  const auto chosen = program.ui.save_file({kPlotDataFilter, 1, program.current_folder.string(), ""});
  if (!chosen || chosen->path.empty()) return false;
  const std::string name = with_default_extension(chosen->path, chosen->filter_index == 2 ? ".xy" : ".csv");
  const std::filesystem::path path = program.resolve(name);
  if (std::filesystem::exists(path) &&
      program.ui.confirm("This file already exists. Do you want to continue?") != Answer::Yes)
    return false;
  const std::string extension = to_lower(path.extension().string());
  const bool xy = extension == ".xy" || extension == ".txt" || extension == ".dat";
  return save_bytes(program, path, plot_data_table(program.workspace, xy ? TableLayout::XyText : TableLayout::Csv));
}

}  // namespace calvane
