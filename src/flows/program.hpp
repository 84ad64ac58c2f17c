// The running program: the workspace, the windows' presentation models, the
// folders, and the Ui through which it reaches a person.
#pragma once

#include <array>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "profile/phase_computation.hpp"
#include "plot/plot_state.hpp"
#include "ui/cif_block_form.hpp"
#include "ui/file_list_form.hpp"
#include "ui/lambda_missing_form.hpp"
#include "ui/main_form.hpp"
#include "ui/viewer_path_form.hpp"
#include "ui/wavelength_form.hpp"
#include "ui/ui_port.hpp"
#include "util/files.hpp"
#include "model/workspace.hpp"

namespace calvane {

struct Program {
  Program(Ui& user_interface, std::filesystem::path folder)
      : ui(user_interface), program_folder(folder), current_folder(std::move(folder)) {}

  Ui& ui;
  Workspace workspace;
  MainForm main_form;
  PlotState plot_state;            // the plot window: ranges, scales, ticks, zoom
  WavelengthForm wavelength_form;  // the multiple-wavelength dialog
  LambdaMissingForm lambda_missing;
  CifBlockForm cif_block_form;     // the CIF block chooser
  FileListForm file_list;          // the file-list panel of the main window
  ViewerPathForm viewer_path_form; // the viewer path dialog
  /// The workspace file last opened or saved (empty before), and whether the
  /// workspace changed since: the caption shows both, and closing the
  /// program offers to save a changed workspace.
  std::string workspace_file;
  bool workspace_modified = false;
  /// Counts the changes of the workspace: a handler after which it moved
  /// changed something the user may want to undo.
  unsigned workspace_revision = 0;
  void mark_workspace_modified() {
    workspace_modified = true;
    ++workspace_revision;
  }
  /// The folder current at start: data files, listings and scratch files.
  std::filesystem::path program_folder;
  /// Where relative names resolve; core code never calls chdir.
  std::filesystem::path current_folder;
  /// This run's own scratch files: the crystal files rebuilt from workspace
  /// files and the snapshot of the last phase deletion. Removed at exit.
  ScratchFolder scratch;
  /// The crystal-file names that loaded workspace files gave their phases,
  /// by the scratch copy each such phase reads: a workspace saved again
  /// names the phases' own files, not the scratch copies.
  std::map<std::string, std::string> workspace_file_names;
  /// Reflection lists and symmetry sums kept from one computation to the next.
  ComputationCaches caches;
  /// The texts of the two listing files of the last computation. Their
  /// buffers stay allocated, so a recomputation writes its megabyte of text
  /// into memory already in place instead of growing and copying new buffers.
  struct ListingTexts {
    std::string detailed, short_listing;
  } listing_texts;

  /// A data file of the program folder, found without regard to case; the
  /// plain name in the program folder when none exists.
  std::filesystem::path data_file(std::string_view name) const;
  /// `name` resolved against the current folder (absolute names stay).
  std::filesystem::path resolve(std::string_view name) const;
  /// The crystal-file name the user knows for a phase's file: the name a
  /// loaded workspace file gave a phase rebuilt in the scratch folder, else
  /// `file_name` itself.
  const std::string& shown_file_name(const std::string& file_name) const;
};

}  // namespace calvane
