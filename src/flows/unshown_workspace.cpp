#include "flows/unshown_workspace.hpp"

#include "experiment_io/total_data_file.hpp"
#include "flows/program.hpp"
#include "flows/total_data_flows.hpp"
#include "ui/quiet_ui.hpp"
#include "ui/spectrum.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

/// Asks nothing and passes the messages on.
class ForwardingUi final : public QuietUi {
public:
  explicit ForwardingUi(MessageSink& sink) : sink_(sink) {}
  void warning(std::string_view text) override { sink_.warning(text); }
  void notice(std::string_view text) override { sink_.notice(text); }
  void beep() override { sink_.beep(); }

private:
  MessageSink& sink_;
};

}  // namespace

std::optional<Workspace> read_workspace_file(const std::filesystem::path& path,
                                             const std::filesystem::path& program_folder, MessageSink& messages) {
  ForwardingUi ui(messages);
  Program program(ui, program_folder);
  if (!open_workspace_file(program, TotalDataSender::FileList, path.string()).loaded) return std::nullopt;
  Workspace workspace = std::move(program.workspace);
  // The rebuilt crystal files go with the program's scratch folder: the
  // phases keep the names the workspace file gave them.
  for (PhaseData& phase : workspace.phases) phase.file_name = program.shown_file_name(phase.file_name);
  workspace.crystal_file_name = program.shown_file_name(workspace.crystal_file_name);
  return workspace;
}

std::string write_workspace_file(const Workspace& workspace, const std::filesystem::path& path,
                                 const std::filesystem::path& program_folder) {
  QuietUi ui;
  Program program(ui, program_folder);
  program.workspace = workspace;
  const ExperimentSettings& settings = workspace.settings;
  ExperimentPageForm& page = program.main_form.experiment;
  show_experiment_settings(settings, page);
  page.u = fixed(settings.u, 0, 6);
  page.v = fixed(settings.v, 0, 6);
  page.w = fixed(settings.w, 0, 6);
  page.line_index = settings.chosen_line;
  const TotalDataFile data = total_data_of(program);
  if (std::string reason = unwritable_reason(data); !reason.empty()) return reason;
  return write_file_atomically(path, format_total_data_file(data));
}

}  // namespace calvane
