#include "app/windows.hpp"

#include "app/about_box.hpp"
#include "app/anomalous_panel_widget.hpp"
#include "app/cif_block_window.hpp"
#include "app/colours_window.hpp"
#include "app/help_viewer.hpp"
#include "app/lambda_missing_window.hpp"
#include "app/plot_window.hpp"
#include "app/polarisation_dialog.hpp"
#include "app/qt_ui.hpp"
#include "app/space_group_window.hpp"
#include "app/text_viewer.hpp"
#include "app/viewer_path_window.hpp"
#include "app/wavelength_dialog.hpp"
#include "flows/follow_up_steps.hpp"

namespace calvane {

namespace {

void set_shown(QWidget* window, bool visible) {
  if (window == nullptr) return;
  if (!visible) {
    window->hide();
    return;
  }
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace

Windows::Windows(Program& program, QWidget* parent) : program_(program) {
  on_follow_up = [this](const FollowUp& steps) {
    carry_out_follow_up(program_, steps);
    program_.ui.refresh();
  };
  auto forward = [this](const FollowUp& steps) { follow_up(steps); };
  about_ = new AboutBox(parent);
  polarisation_ = new PolarisationDialog(program_, forward, parent);
  polarisation_->setWindowModality(Qt::ApplicationModal);
  wavelengths_ = new WavelengthDialog(program_, forward, parent);
  space_groups_ = new SpaceGroupWindow(program_, parent);
  cif_blocks_ = new CifBlockWindow(program_, parent);
  colours_ = new ColoursWindow(program_, parent);
  lambda_missing_ = new LambdaMissingWindow(
      program_,
      [this](const ObservedLoad& load) {
        if (on_observed_load) on_observed_load(load);
      },
      parent);
  help_ = new HelpViewer(parent);
  text_viewer_ = new TextViewer(parent);
  viewer_path_ = new ViewerPathWindow(program_, parent);
}

Windows::~Windows() {
  // Children the main window has already destroyed are null here.
  delete about_.data();
  delete polarisation_.data();
  delete wavelengths_.data();
  delete space_groups_.data();
  delete cif_blocks_.data();
  delete colours_.data();
  delete lambda_missing_.data();
  delete help_.data();
  delete text_viewer_.data();
  delete viewer_path_.data();
  if (anomalous_panel_ && anomalous_panel_->parent() == nullptr) delete anomalous_panel_.data();
}

void Windows::follow_up(const FollowUp& steps) {
  if (on_follow_up) on_follow_up(steps);
}

AnomalousPanel* Windows::anomalous_panel() {
  if (!anomalous_panel_)
    anomalous_panel_ = new AnomalousPanel(program_, [this](const FollowUp& steps) { follow_up(steps); });
  return anomalous_panel_;
}

void Windows::set_plot_window(PlotWindow* plot) {
  plot_ = plot;
  on_observed_load = [this](const ObservedLoad& load) {
    if (plot_ != nullptr) plot_->after_observed_load(load);
  };
}

bool Windows::show(WindowId window, bool visible) {
  switch (window) {
    case WindowId::Print:
    case WindowId::Difference:
    case WindowId::ImageExport:
      return plot_ != nullptr && plot_->show_dialog(window, visible);
    case WindowId::About:
      set_shown(about_, visible);
      return true;
    case WindowId::Polarisation:
      set_shown(polarisation_, visible);
      return true;
    case WindowId::MultipleWavelength:
      if (wavelengths_ != nullptr) wavelengths_->refresh_from_model();
      set_shown(wavelengths_, visible);
      return true;
    case WindowId::SpaceGroup:
      set_shown(space_groups_, visible);
      return true;
    case WindowId::CifBlocks:
      set_shown(cif_blocks_, visible);
      return true;
    case WindowId::Colours:
      // Beside the main window's pages, below its menu and source bar.
      if (visible && colours_ != nullptr && !colours_->isVisible()) colours_->move(2, 110);
      set_shown(colours_, visible);
      return true;
    case WindowId::LambdaFromFile:
      if (lambda_missing_ != nullptr) lambda_missing_->refresh_from_model();
      set_shown(lambda_missing_, visible);
      return true;
    case WindowId::ViewerPath:
      if (viewer_path_ != nullptr) viewer_path_->refresh_from_model();
      set_shown(viewer_path_, visible);
      return true;
    default:
      return false;
  }
}

void Windows::show_text_file(const std::string& path) {
  if (text_viewer_ == nullptr) return;
  if (!text_viewer_->open_file(path)) {
    program_.ui.warning("Cannot read the file " + path);
    return;
  }
  set_shown(text_viewer_, true);
}

void Windows::open_help(int topic) {
  if (help_ == nullptr) return;
  if (!help_->open_topic(program_.data_file("calvane.hlp"), topic)) {
    program_.ui.warning("File calvane.hlp not found");
    return;
  }
  set_shown(help_, true);
}

void Windows::attach(QtUi& ui) {
  ui.on_show_window = [this, previous = ui.on_show_window](WindowId window, bool visible) {
    if (!show(window, visible) && previous) previous(window, visible);
  };
  ui.on_show_text_file = [this](const std::string& path) { show_text_file(path); };
  ui.on_open_help = [this](int topic) { open_help(topic); };
}

}  // namespace calvane
