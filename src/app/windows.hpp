// The dialogs and auxiliary windows of the main window, owned in one place:
// the Ui's show_window, show_text_file and open_help reach them through here.
#pragma once

#include <QPointer>
#include <functional>

#include "app/about_box.hpp"
#include "app/anomalous_panel_widget.hpp"
#include "app/cif_block_window.hpp"
#include "app/colours_window.hpp"
#include "app/help_viewer.hpp"
#include "app/lambda_missing_window.hpp"
#include "app/polarisation_dialog.hpp"
#include "app/space_group_window.hpp"
#include "app/text_viewer.hpp"
#include "app/viewer_path_window.hpp"
#include "app/wavelength_dialog.hpp"
#include "flows/observed_flows.hpp"
#include "ui/follow_up.hpp"
#include "flows/program.hpp"

class QWidget;

namespace calvane {

class AboutBox;
class AnomalousPanel;
class HelpViewer;
class LambdaMissingWindow;
class QtUi;
class PolarisationDialog;
class CifBlockWindow;
class ColoursWindow;
class SpaceGroupWindow;
class WavelengthDialog;
class TextViewer;
class ViewerPathWindow;
class PlotWindow;

class Windows {
public:
  /// `parent` is the main window; the dialogs are its children.
  Windows(Program& program, QWidget* parent);
  ~Windows();
  Windows(const Windows&) = delete;
  Windows& operator=(const Windows&) = delete;

  /// Shows or hides `window`; false when it is not one of these windows.
  bool show(WindowId window, bool visible);
  /// Shows a listing or the report in the text viewer; a file that cannot be
  /// read gives a warning.
  void show_text_file(const std::string& path);
  /// Opens "calvane.hlp" of the program folder at `topic` (0 the index).
  void open_help(int topic);
  /// Routes the Ui's windows, text files and help here; windows that are not
  /// these go on to the show_window handler the Ui had before.
  void attach(QtUi& ui);

  /// What a dialog leaves to the rest of the program. By default the steps
  /// that need no plot window (carry_out_follow_up) and a refresh of every
  /// window; the main window may replace it to add the plot's steps.
  std::function<void(const FollowUp&)> on_follow_up;
  /// What the plot must do after the Lambda missing window stored a pattern
  /// (its intensity scales and default ticks); the plot window sets it.
  std::function<void(const ObservedLoad&)> on_observed_load;

  AboutBox* about() const { return about_; }
  PolarisationDialog* polarisation() const { return polarisation_; }
  WavelengthDialog* wavelengths() const { return wavelengths_; }
  SpaceGroupWindow* space_groups() const { return space_groups_; }
  CifBlockWindow* cif_blocks() const { return cif_blocks_; }
  ColoursWindow* colours() const { return colours_; }
  LambdaMissingWindow* lambda_missing() const { return lambda_missing_; }
  HelpViewer* help() const { return help_; }
  TextViewer* text_viewer() const { return text_viewer_; }
  ViewerPathWindow* viewer_path() const { return viewer_path_; }
  /// The anomalous panel, made on first use for the crystal page to hold.
  AnomalousPanel* anomalous_panel();
  /// The plot window: its print, difference and metafile dialogs are shown
  /// through here, and it acts on what the Lambda missing window loaded.
  void set_plot_window(PlotWindow* plot);

private:
  void follow_up(const FollowUp& steps);

  Program& program_;
  QPointer<AboutBox> about_;
  QPointer<PolarisationDialog> polarisation_;
  QPointer<WavelengthDialog> wavelengths_;
  QPointer<SpaceGroupWindow> space_groups_;
  QPointer<CifBlockWindow> cif_blocks_;
  QPointer<ColoursWindow> colours_;
  QPointer<LambdaMissingWindow> lambda_missing_;
  QPointer<HelpViewer> help_;
  QPointer<TextViewer> text_viewer_;
  QPointer<ViewerPathWindow> viewer_path_;
  QPointer<AnomalousPanel> anomalous_panel_;
  QPointer<PlotWindow> plot_;
};

}  // namespace calvane
