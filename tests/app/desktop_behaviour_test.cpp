// Wiring of what the desktop adds to the windows: atom grids edited in place
// with rows inserted and deleted by keys, the remembered page and modes, the fit window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include "app/crystal_page_widget.hpp"
#include "app/desktop_settings.hpp"
#include "app/fit_window.hpp"
#include "app/main_window_fixture.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

struct DesktopBehaviour : testing::MainWindowFixture {
  void open_nacl() { open({"nacl.cry"}); }
};

TEST_F(DesktopBehaviour, WindowMenuBringsBackThePlotAndTheDifference) {
  std::vector<std::string> shown;
  window->on_show_plot = [&shown] { shown.push_back("plot"); };
  window->on_show_difference = [&shown] { shown.push_back("difference"); };
  trigger("&Window/&Plot");
  trigger("&Window/&Difference");
  trigger("&Window/&Colours and styles");
  EXPECT_EQ(std::pair(shown, ui.window_changes.back()),
            std::pair(std::vector<std::string>{"plot", "difference"}, std::pair(WindowId::Colours, true)));
}

TEST_F(DesktopBehaviour, SettingsBringBackThePageAndThePlotModes) {
  DesktopSettings settings(QString::fromStdString((folder.path() / "calvane.ini").string()));
  window->use_settings(&settings);
  window->pages()->setCurrentIndex(2);
  std::tie(program.plot_state.y_mode, program.main_form.phases.hkl_mode) = std::pair(YMode::Logarithmic, 1);
  window->save_settings();
  window->pages()->setCurrentIndex(0);
  std::tie(program.plot_state.y_mode, program.main_form.phases.hkl_mode) = std::pair(YMode::Linear, 0);
  window->use_settings(&settings);
  EXPECT_EQ(std::tuple(window->pages()->currentIndex(), program.plot_state.y_mode, program.main_form.phases.hkl_mode),
            std::tuple(2, YMode::Logarithmic, 1));
}

TEST_F(DesktopBehaviour, AtomGridsEditInPlaceAndInsertAndDeleteRowsByKeys) {
  open_nacl();
  QTableWidget* grid = window->crystal_page()->xray_atoms();
  EXPECT_TRUE(grid->editTriggers() & QAbstractItemView::DoubleClicked);
  const TextGrid& atoms = program.main_form.crystal.xray_atoms;
  const std::string second = atoms.cell(2, 0);
  ASSERT_TRUE(testing::show_active(window.get()));
  window->pages()->setCurrentIndex(1);
  grid->setFocus();
  grid->setCurrentCell(1, 0);  // the second atom
  QTest::keyClick(grid, Qt::Key_Insert);
  EXPECT_EQ(std::pair(atoms.cell(2, 0), atoms.cell(3, 0)), std::pair(std::string(), second));
  QTest::keyClick(grid, Qt::Key_Delete);
  EXPECT_EQ(atoms.cell(2, 0), second);
  EXPECT_EQ(grid->actions().size(), 2);  // the same two commands in the context menu
}

TEST_F(DesktopBehaviour, FitWindowFitsTheSharesAndUndoFitTakesThemBack) {
  open({"rutile.cry", "corundum.cry"});
  ui.choose_file(testing::source_folder("tests/cli/fixtures/rutile_corundum.xy").string());
  window->action("&File/Open measured pattern...")->trigger();
  ASSERT_EQ(program.workspace.observed_patterns.size(), 1u) << ui.last_warning();
  window->action("&Results/&Fit to measured pattern...")->trigger();
  FitWindow* fit = window->fit_window();
  ASSERT_NE(fit, nullptr);
  fit->zero_shift()->setChecked(true);
  fit->fit_button()->click();
  ASSERT_TRUE(ui.warnings.empty()) << ui.last_warning();
  // The results reach the window's text and the shares; the plot draws on the measured points and the box says so.
  EXPECT_EQ(std::tuple(fit->results()->toPlainText().contains("Rwp"), program.workspace.phase(1).fraction != 0.5,
                       fit->on_measured_points()->isChecked()),
            std::tuple(true, true, true));
  fit->on_measured_points()->setChecked(false);
  EXPECT_FALSE(program.plot_state.on_measured_points);
  window->undo_action()->trigger();
  EXPECT_DOUBLE_EQ(program.workspace.phase(1).fraction, 0.5);  // the equal shares of two opened phases
}

}  // namespace
}  // namespace calvane
