// Wiring of the main window: menus, pages, grids and buttons reach the flows,
// and what the flows change reaches the widgets.
#include "app/main_window.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>

#include "app/anomalous_panel_widget.hpp"
#include "app/crystal_page_widget.hpp"
#include "app/main_window_fixture.hpp"
#include "app/desktop_settings.hpp"
#include "app/qt_ui.hpp"
#include "app/text_grid_table.hpp"
#include "app/windows.hpp"

namespace calvane {
namespace {

using testing::source_folder;

struct MainWindowTest : testing::MainWindowFixture {
  CrystalPage& page() const { return *window->crystal_page(); }
  bool shown(QWidget* widget) const { return widget->isVisibleTo(&page()); }
  std::pair<WindowId, bool> last_window_change() const { return ui.window_changes.back(); }
  static void type(QTableWidget* grid, int row, int column, const QString& text) {
    if (grid->item(row, column) == nullptr) grid->setItem(row, column, new QTableWidgetItem);
    grid->item(row, column)->setText(text);
  }
};

TEST_F(MainWindowTest, StartsWithEveryOwnMenuItemEnabledAndItsHooksReachTheirWork) {
  // Everything but the file lists, the viewer and the unavailable ICSD format works from the start.
  const QStringList waiting = {"&File/List of the crystal data files", "&File/List of the observed diagram files",
                               "&File/List of observed peaks file", "&File/List of total data files",
                               "&File/Start &Lumiso2", "&File/Open a crystal data file/&ICSD format (*.ics)"};
  for (QAction* item : window->findChildren<QAction*>()) {
    if (item->menu() != nullptr || item->isSeparator() || item->text().isEmpty()) continue;
    if (item == window->undo_action() || item == window->redo_action()) continue;  // nothing to undo yet
    const bool waits =
        std::any_of(waiting.begin(), waiting.end(), [&](const QString& p) { return window->action(p) == item; });
    EXPECT_NE(item->isEnabled(), waits) << item->text().toStdString();
  }
  std::vector<FileListKind> lists;
  auto* panel = new QLabel("files");
  window->set_file_list_panel(panel, [&lists](FileListKind kind) { lists.push_back(kind); });
  int launches = 0;
  window->set_viewer_launcher([&launches] { ++launches; });
  trigger("&File/List of observed peaks file");
  trigger("&File/Start &Lumiso2");
  EXPECT_EQ(std::tuple(lists, launches, window->isAncestorOf(panel)),
            std::tuple(std::vector<FileListKind>{FileListKind::ObservedPeaks}, 1, true));

  trigger("&Help/&Contents");
  EXPECT_EQ(ui.help_topics, std::vector<int>{14});
}

TEST_F(MainWindowTest, OpenCrystalStructureAsksForAnyCrystalFileAndShowsTheCifCaptionAndPaintedGrids) {
  ui.choose_file(source_folder("tests/crystal_io/fixtures/low_albite.cif").string());
  trigger("&File/&Open crystal structure...");
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_EQ(window->status_panel()->text(), "Data (low_albite.cif)");
  for (QTableWidget* grid : {page().xray_atoms(), page().neutron_atoms(), page().anomalous(), page().absorption()})
    EXPECT_NE(dynamic_cast<GridCellDelegate*>(grid->itemDelegate()), nullptr);
}

TEST_F(MainWindowTest, CloseBoxAndQuitAskToSaveAChangedWorkspace) {
  DesktopSettings settings(QString::fromStdString((folder / "calvane.ini").string()));
  window->use_settings(&settings);
  window->show();
  open({"silicon.cry"});
  ui.save_choices = {SaveChoice::Cancel};
  EXPECT_EQ((std::tuple{window->close(), window->isVisible()}), std::tuple(false, true));
  ui.save_choices = {SaveChoice::Save};
  ui.choose_file((folder / "work.cmp").string(), 2);
  trigger("&File/&Quit");
  EXPECT_TRUE(ui.quit_called && window->windowTitle().startsWith("work.cmp - Multi Phases"));
  EXPECT_TRUE(settings.recent_files().value(0).endsWith("/work.cmp"));  // a saved workspace is recent too
}

TEST_F(MainWindowTest, OpenedPhaseReachesThePagesResultsAndReport) {
  open({"rutile.cry"});
  EXPECT_TRUE(page().apply_bar_caption()->text().startsWith("Data for Phase1(rutile"));
  ASSERT_GT(window->results()->count(), 3);
  int marked = -1, clears = 0;
  window->on_results_line = [&marked](int row) { marked = row; };
  window->results()->setCurrentRow(3);
  program.main_form.results_selected = 4;  // a reflection indexed on the plot selects its line in the list
  window->refresh_from_model();
  EXPECT_EQ(std::pair(marked, window->results()->currentRow()), std::pair(3, 4));
  window->on_clear_plot = [&clears] { ++clears; };
  ui.answers.push_back(Answer::Yes);
  trigger("&Erase/&General");
  EXPECT_EQ(std::tuple(window->results()->count(), clears), std::tuple(0, 1));
}

TEST_F(MainWindowTest, PhaseTableDeletesOnDoubleClickAndRestoreBringsThePhaseBack) {
  open({"nacl.cry", "rutile.cry", "silicon.cry"});
  QTableWidget* table = window->phase_table();
  ui.answer(Answer::Yes);
  emit table->cellDoubleClicked(1, 0);
  ASSERT_EQ(program.workspace.phase_count(), 2);
  EXPECT_EQ(table->item(1, 7)->checkState(), Qt::Checked);  // the "Crystal Data" box moved with the phase
  ASSERT_FALSE(window->restore_button()->isHidden());
  window->restore_button()->click();
  EXPECT_EQ(program.workspace.phase_count(), 3) << ui.last_warning();
}

TEST_F(MainWindowTest, EditMenuUndoesAndRedoesWhatTheHandlersChanged) {
  EXPECT_FALSE(window->undo_action()->isEnabled());
  open({"nacl.cry", "rutile.cry"});
  ui.answers.push_back(Answer::Yes);
  trigger("&Erase/&Phases");
  ASSERT_EQ(program.workspace.phase_count(), 0);
  EXPECT_EQ(window->undo_action()->text(), "&Undo Erase Phases");
  window->undo_action()->trigger();
  EXPECT_EQ(std::tuple(program.workspace.phase_count(), window->phase_table()->item(1, 0)->text().isEmpty(),
                       window->redo_action()->text()),
            std::tuple(2, false, "&Redo Erase Phases"));
  window->redo_action()->trigger();
  EXPECT_EQ(program.workspace.phase_count(), 0);
}

TEST(FileDialogFilters, AreWellFormedAndOpenDialogsOfferEveryFormatFirst) {
  EXPECT_EQ(qt_name_filters("Data file (*.cry)|*.cry|Total data file (*.cmp)|*.cmp|", true),
            (QStringList{"All supported files (*.cry *.cmp)", "Data file (*.cry)", "Total data file (*.cmp)"}));
  EXPECT_EQ(qt_name_filters("ShelX|*.inp;*.ins,*.res|", false), QStringList{"ShelX (*.inp *.ins *.res)"});
}

TEST(DesktopSettingsTest, KeepsRecentFilesNewestFirstWithoutRepeatsAndDialogFolders) {
  testing::TempFolder folder;
  const QString ini = QString::fromStdString((folder.path() / "calvane.ini").string());
  {
    DesktopSettings settings(ini);
    for (int i = 0; i < DesktopSettings::kMaxRecentFiles + 2; ++i) settings.add_recent_file(QString("/f%1.cry").arg(i));
    settings.add_recent_file("/f5.cry");
    settings.set_last_folder("Data file (*.cry)", "/data/crystals");
  }
  DesktopSettings again(ini);
  const QStringList recent = again.recent_files();
  EXPECT_EQ(std::tuple(recent.size(), recent.front(), recent.count("/f5.cry"), recent[1]),
            std::tuple(DesktopSettings::kMaxRecentFiles, "/f5.cry", 1, "/f11.cry"));
  EXPECT_EQ(std::pair(again.last_folder("Data file (*.cry)"), again.last_folder("Total data file (*.cmp)")),
            std::pair(QString("/data/crystals"), QString()));
}

TEST_F(MainWindowTest, PhasesPageBoxesAndButtonsReachThePhases) {
  open({"nacl.cry", "rutile.cry"});
  QTableWidget* table = window->phase_table();
  table->item(0, 4)->setText("50");
  table->item(1, 4)->setText("150");
  const auto buttons = window->pages()->widget(2)->findChildren<QPushButton*>();
  const auto apply = std::find_if(buttons.begin(), buttons.end(), [](auto* b) { return b->text() == "Apply"; });
  ASSERT_NE(apply, buttons.end());
  (*apply)->click();
  table->item(8, 2)->setCheckState(Qt::Unchecked);  // the sum's box presses "Sum"
  EXPECT_EQ(std::tuple(program.workspace.phase(1).fraction, window->sum_toggle()->isChecked()),
            std::tuple(0.25, true));
  window->sum_toggle()->click();
  table->item(1, 3)->setCheckState(Qt::Checked);
  table->item(0, 7)->setCheckState(Qt::Checked);  // "Crystal Data" of row 1
  EXPECT_EQ(std::tuple(program.workspace.settings.draw_sum, program.workspace.phase(2).show_hkl,
                       program.workspace.current_phase),
            std::tuple(true, true, 1));
  page().selector(2)->click();
  EXPECT_EQ(program.workspace.current_phase, 2);
}

TEST_F(MainWindowTest, CrystalPageFieldsGridsAndButtonsReachTheWorkingCrystal) {
  open({"nacl.cry"});
  window->pages()->setCurrentIndex(1);
  page().cell(0)->setText("5.431");
  emit page().cell(0)->editingFinished();
  page().apply_button()->click();
  EXPECT_EQ(std::tuple(program.workspace.crystal.cell.a, program.workspace.phase(1).crystal.cell.a),
            std::tuple(5.431, 5.431));
  page().space_group_button()->click();
  EXPECT_EQ(last_window_change(), std::pair(WindowId::SpaceGroup, true));
  QTableWidget* grid = page().xray_atoms();
  grid->setCurrentCell(2, 0);
  type(grid, 2, 0, "fe3+");
  type(grid, 2, 2, "0.25");
  grid->setCurrentCell(0, 0);  // the row left is tidied and copied to the neutron grid
  const QTableWidgetItem* neutron_type = page().neutron_atoms()->item(2, 0);
  EXPECT_EQ(std::tuple(neutron_type != nullptr ? neutron_type->text() : QString(),
                       program.workspace.crystal.atoms.at(2).x),
            std::tuple(QString("Fe"), 0.25));
}

TEST_F(MainWindowTest, SourceButtonsSwapTheAtomGridsAndActivationRewritesTheFields) {
  open({"nacl.cry"});
  int resets = 0;
  window->on_reset_plot = [&resets] { ++resets; };
  window->neutron_button()->click();
  EXPECT_TRUE(shown(page().neutron_atoms()));
  window->xray_button()->click();
  EXPECT_EQ(std::tuple(last_window_change(), resets), std::tuple(std::pair(WindowId::Polarisation, true), 2));

  window->line_list()->setCurrentIndex(5);  // CuKa1
  emit window->line_list()->activated(5);
  window->angle_scale_button(0)->click();
  EXPECT_EQ(
      std::tuple(program.workspace.settings.wavelengths.front(), program.workspace.settings.angle_scale),
      std::tuple(1.54056, AngleScale::Theta));
  window->pages()->setCurrentIndex(3);  // the style page asks for the colours window
  EXPECT_EQ(last_window_change(), std::pair(WindowId::Colours, true));
}

TEST_F(MainWindowTest, KeyboardCaptureKeepsItsPageInFront) {
  trigger("&File/&Keyboard capture of crystal data");
  ASSERT_TRUE(shown(page().capture_panel()) && shown(page().panel()));
  window->pages()->setCurrentIndex(2);
  EXPECT_EQ(window->pages()->currentIndex(), static_cast<int>(MainPage::CrystalData));
  page().capture_cancel_button()->click();
  EXPECT_FALSE(shown(page().capture_panel()));
}

TEST_F(MainWindowTest, DroppedAndNamedFilesOpenAsTheirMenuEntry) {
  const QString nacl = QString::fromStdString(source_folder("examples/nacl.cry").string());
  QMimeData crystal;
  crystal.setUrls({QUrl::fromLocalFile(nacl)});
  crystal.setText(nacl);  // file managers offer the name as text too: it must not be pasted
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &crystal, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->wavelength(), &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &crystal, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->wavelength(), &drop);
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  for (const auto& path : {source_folder("tests/experiment_io/fixtures/corundum_v1.xrdml"), folder.write("notes.xyz", "x")})
    window->open_path(QString::fromStdString(path.string()));
  // No answer is left for a later dialog.
  EXPECT_EQ(std::tuple(program.workspace.observed_patterns.size(), ui.last_warning(), ui.files.size()),
            std::tuple(1u, "Unknown file type: notes.xyz", 0u));
}

TEST_F(MainWindowTest, AnomalousPanelSitsUnderTheAnomalousTableAndOpensFromIt) {
  Windows windows(program, window.get());
  window->set_windows(&windows);
  AnomalousPanel* panel = windows.anomalous_panel();
  ASSERT_TRUE(page().isAncestorOf(panel));
  open({"rutile.cry"});
  page().anomalous_button()->click();
  EXPECT_FALSE(panel->isHidden()) << ui.last_warning();
  panel->cancel_button()->click();
  EXPECT_TRUE(panel->isHidden());
}

}  // namespace
}  // namespace calvane
