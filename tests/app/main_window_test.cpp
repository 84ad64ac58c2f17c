#include "app/main_window.hpp"

#include <gtest/gtest.h>

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
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>

#include "app/crystal_page_widget.hpp"
#include "app/anomalous_panel_widget.hpp"
#include "app/qt_application.hpp"
#include "app/windows.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

using testing::application;
using testing::ScriptedUi;
using testing::TempFolder;

const QString kOpenCry = "&File/Open a crystal data file/Calvan&e format (*.cry)";

struct MainWindow : ::testing::Test {
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder.path()};
  std::unique_ptr<Tfmain> window;

  void SetUp() override {
    application();
    folder.add_data_files();
    window = std::make_unique<Tfmain>(program);
    // The scripted Ui answers the open dialog that a dropped file skips.
    window->answer_next_open_dialog = [this](const std::string& path) {
      if (path.empty())
        ui.files.clear();
      else
        ui.choose_file(path);
    };
    ASSERT_TRUE(window->start());
  }

  void open(const char* example) {
    ui.choose_file(testing::source_folder(std::string("examples/") + example).string());
    window->action(kOpenCry)->trigger();
  }

  CrystalPage& page() const { return *window->crystal_page(); }

  static void type(QTableWidget* grid, int row, int column, const QString& text) {
    if (grid->item(row, column) == nullptr) grid->setItem(row, column, new QTableWidgetItem);
    grid->item(row, column)->setText(text);
  }
  static QString text(QTableWidget* grid, int row, int column) {
    return grid->item(row, column) != nullptr ? grid->item(row, column)->text() : QString();
  }
};

TEST_F(MainWindow, StartsWithItsCaptionPagesAndEveryOwnMenuItemEnabled) {
  EXPECT_EQ(window->windowTitle(), "Multi Phases  version of Calvane  (31/03/04)");
  EXPECT_EQ(window->width(), 1020);
  ASSERT_EQ(window->pages()->count(), 4);
  EXPECT_EQ(window->pages()->tabText(2), "Phases Data");
  EXPECT_EQ(window->action("&File/Open an observed peaks file/&Column format (*.prn)")->statusTip(),
            "2Theta and intensity(optional)");
  // Everything but the file lists, the viewer and the unavailable ICSD format works from the start.
  const QStringList waiting = {"&File/List of the crystal data files", "&File/List of the observed diagram files",
                               "&File/List of observed peaks file", "&File/List of total data files",
                               "&File/Start &Lumiso2", "&File/Open a crystal data file/&ICSD format (*.ics)"};
  int enabled = 0;
  for (QAction* item : window->findChildren<QAction*>()) {
    const QString path = [&] {
      for (const QString& candidate : waiting)
        if (window->action(candidate) == item) return candidate;
      return QString();
    }();
    if (item->menu() != nullptr || item->isSeparator() || item->text().isEmpty()) continue;
    EXPECT_EQ(item->isEnabled(), path.isEmpty()) << item->text().toStdString();
    enabled += item->isEnabled();
  }
  EXPECT_GT(enabled, 30);

  // The hooks of the file lists and the viewer enable their items and reach their work.
  std::vector<FileListKind> lists;
  auto* panel = new QLabel("files");
  window->set_file_list_panel(panel, [&lists](FileListKind kind) { lists.push_back(kind); });
  int launches = 0;
  window->set_viewer_launcher([&launches] { ++launches; });
  window->action("&File/List of observed peaks file")->trigger();
  window->action("&File/Start &Lumiso2")->trigger();
  EXPECT_EQ(lists, std::vector<FileListKind>{FileListKind::ObservedPeaks});
  EXPECT_EQ(launches, 1);
  EXPECT_TRUE(window->isAncestorOf(panel));
}

TEST_F(MainWindow, StandardShortcutsAndHelp) {
  const std::pair<QString, QKeySequence> shortcuts[] = {
      {kOpenCry, QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"&File/Save the total data (*.cmp)", QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"&File/&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"&Help", QKeySequence(Qt::Key_F1)},
  };
  for (const auto& [path, keys] : shortcuts) {
    QAction* item = window->action(path);
    EXPECT_EQ(item->shortcut(), keys) << path.toStdString();
    // Reachable with the menus closed.
    EXPECT_TRUE(window->actions().contains(item)) << path.toStdString();
  }
  window->action("&Help")->trigger();
  EXPECT_EQ(ui.help_topics, std::vector<int>{14});
  window->action("&About")->trigger();
  EXPECT_EQ(ui.window_changes.back(), (std::pair<WindowId, bool>{WindowId::About, true}));
}

TEST_F(MainWindow, MissingDataFileStopsTheStart) {
  std::filesystem::remove(folder / "muro.dat");
  Tfmain other(program);
  EXPECT_FALSE(other.start());
  EXPECT_EQ(ui.last_warning(), "File muro.dat not found");
}

TEST_F(MainWindow, OpenedPhaseReachesThePagesResultsAndReports) {
  open("rutile.cry");
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_EQ(window->phase_table()->item(0, 0)->text(), "rutile");
  // The crystal page shows the phase: system, cell and atoms, the apply bar's caption.
  EXPECT_EQ(page().system()->currentText(), "Tetra.");
  EXPECT_TRUE(page().cell(1)->isReadOnly());  // b follows a
  EXPECT_EQ(text(page().xray_atoms(), 0, 0), "Ti");
  EXPECT_EQ(text(page().xray_atoms(), 1, 0), "O");
  EXPECT_TRUE(page().apply_bar_caption()->text().startsWith("Data for Phase1(rutile"));
  EXPECT_FALSE(text(page().absorption(), 0, 0).isEmpty());

  // The results list shows the computed lines; a click marks the line's angle.
  ASSERT_GT(window->results()->count(), 3);
  int marked = -1;
  window->on_results_line = [&marked](int row) { marked = row; };
  window->results()->setCurrentRow(3);
  EXPECT_EQ(program.main_form.results_selected, 3);
  EXPECT_EQ(marked, 3);

  window->action("&Results/&Global results")->trigger();
  EXPECT_TRUE(std::filesystem::exists(folder / "report_cmp.txt"));
  window->action("&Erase/&Phases")->trigger();
  EXPECT_EQ(program.workspace.phase_count(), 0);
  EXPECT_EQ(window->results()->count(), 0);
  EXPECT_TRUE(window->phase_table()->item(0, 0)->text().isEmpty());
  window->action("&File/&Quit")->trigger();
  EXPECT_TRUE(ui.quit_called);
}

TEST_F(MainWindow, DoubleClickOnAPhaseDeletesItOnceConfirmedAndRestoreBringsItBack) {
  for (const char* name : {"nacl.cry", "rutile.cry", "silicon.cry"}) open(name);
  ASSERT_EQ(program.workspace.phase_count(), 3) << ui.last_warning();
  QTableWidget* table = window->phase_table();
  EXPECT_TRUE(window->restore_button()->isHidden());

  ui.answer(Answer::No);
  emit table->cellDoubleClicked(1, 0);
  EXPECT_EQ(program.workspace.phase_count(), 3);
  EXPECT_EQ(ui.questions.back(), "Do you want to delete the phase 2 (rutile)?");

  ui.answer(Answer::Yes);
  emit table->cellDoubleClicked(1, 0);
  ASSERT_EQ(program.workspace.phase_count(), 2);
  EXPECT_EQ(table->item(1, 0)->text(), "silicon");
  EXPECT_TRUE(table->item(2, 0)->text().isEmpty());
  EXPECT_FALSE(window->restore_button()->isHidden());
  // The "Crystal Data" box moved down with the phase that was third.
  EXPECT_EQ(table->item(1, 7)->checkState(), Qt::Checked);
  EXPECT_EQ(table->item(2, 7)->checkState(), Qt::Unchecked);

  int plot_steps = 0;
  window->on_total_data_loaded = [&plot_steps](const TotalDataLoad& load) { plot_steps += load.loaded; };
  window->restore_button()->click();
  ASSERT_EQ(program.workspace.phase_count(), 3) << ui.last_warning();
  EXPECT_EQ(plot_steps, 1);
  // The phases come back from the snapshot's own crystal files.
  EXPECT_TRUE(table->item(1, 0)->text().startsWith("rutile"));
  EXPECT_TRUE(table->item(2, 0)->text().startsWith("silicon"));
}

TEST_F(MainWindow, PhasesPageEditsReachThePhases) {
  open("nacl.cry");
  open("rutile.cry");
  ASSERT_EQ(program.workspace.phase_count(), 2) << ui.last_warning();
  QTableWidget* table = window->phase_table();
  table->item(0, 4)->setText("50");
  table->item(1, 4)->setText("150");
  QPushButton* apply = nullptr;
  for (auto* button : window->pages()->widget(2)->findChildren<QPushButton*>())
    if (button->text() == "Apply") apply = button;
  ASSERT_NE(apply, nullptr);
  apply->click();
  // The shares are normalised: 50 and 150 become 25.0 and 75.0.
  EXPECT_DOUBLE_EQ(program.workspace.phase(1).fraction, 0.25);
  EXPECT_EQ(table->item(1, 4)->text().trimmed(), "75.0");

  // Unchecking the sum's box masks the sum and presses "Sum"; the toggle releases it.
  table->item(8, 2)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(program.workspace.settings.draw_sum);
  EXPECT_TRUE(window->sum_toggle()->isChecked());
  window->sum_toggle()->click();
  EXPECT_TRUE(program.workspace.settings.draw_sum);
  EXPECT_EQ(table->item(8, 2)->checkState(), Qt::Checked);
  window->observed_toggle()->click();
  EXPECT_FALSE(program.workspace.settings.draw_observed);

  // The "(hkl)" box of a phase draws its labels.
  table->item(1, 3)->setCheckState(Qt::Checked);
  EXPECT_TRUE(program.workspace.phase(2).show_hkl);
  EXPECT_FALSE(program.workspace.phase(1).show_hkl);

  // The "Crystal Data" box of row 1 shows phase 1 on the crystal page.
  ASSERT_EQ(program.workspace.current_phase, 2);
  table->item(0, 7)->setCheckState(Qt::Checked);
  EXPECT_EQ(program.workspace.current_phase, 1);
  EXPECT_EQ(window->pages()->currentIndex(), static_cast<int>(MainPage::CrystalData));
  EXPECT_EQ(page().system()->currentText(), "Cubic");
  EXPECT_EQ(table->item(1, 7)->checkState(), Qt::Unchecked);

  // "Molec. %" converts the shares and recomputes.
  window->percent_button(true)->click();
  EXPECT_TRUE(program.main_form.phases.molar_percent);
  EXPECT_EQ(table->horizontalHeaderItem(4)->text(), "Percent\nMolec");
}

TEST_F(MainWindow, PhaseSelectorShowsTheChosenPhaseAndIgnoresEmptyButtons) {
  open("nacl.cry");
  open("corundum.cry");
  ASSERT_EQ(program.workspace.phase_count(), 2) << ui.last_warning();
  EXPECT_EQ(page().selector(2)->text(), "Phase#2");
  EXPECT_EQ(page().selector(3)->text(), "Phase3");
  page().selector(1)->click();
  EXPECT_EQ(program.workspace.current_phase, 1);
  EXPECT_EQ(page().system()->currentText(), "Cubic");
  EXPECT_TRUE(page().apply_bar_caption()->text().startsWith("Data for Phase1(nacl"));
  // A button beyond the phases only deselects.
  page().selector(5)->click();
  EXPECT_EQ(program.workspace.current_phase, 1);
  for (int button = 1; button <= 8; ++button) EXPECT_FALSE(page().selector(button)->isChecked()) << button;
}

TEST_F(MainWindow, CellFieldsFollowTheSystemRules) {
  open("nacl.cry");
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  page().cell(0)->setText("5.431");
  emit page().cell(0)->editingFinished();
  EXPECT_DOUBLE_EQ(program.workspace.crystal.cell.a, 5.431);
  EXPECT_EQ(page().cell(1)->text().trimmed(), "5.431");
  EXPECT_EQ(page().cell(2)->text().trimmed(), "5.431");
  EXPECT_TRUE(page().cell(3)->isReadOnly());

  // "Rhomb." copies α into β and γ and frees α.
  page().system()->setCurrentIndex(4);
  emit page().system()->activated(4);
  EXPECT_FALSE(page().cell(3)->isReadOnly());
  page().cell(3)->setText("60");
  emit page().cell(3)->editingFinished();
  EXPECT_EQ(page().cell(4)->text().trimmed(), page().cell(3)->text().trimmed());
  EXPECT_EQ(page().cell(5)->text().trimmed(), page().cell(3)->text().trimmed());
  EXPECT_TRUE(page().hermann_mauguin()->text().isEmpty());  // a new system drops the group

  page().cell(3)->setText("sixty");
  emit page().cell(3)->editingFinished();
  EXPECT_EQ(ui.last_warning(), "Reading error on Alpha!");
}

TEST_F(MainWindow, LeavingAnAtomRowTidiesItAndCopiesItToTheNeutronGrid) {
  open("nacl.cry");
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  QTableWidget* grid = page().xray_atoms();
  grid->setCurrentCell(2, 0);
  type(grid, 2, 0, "fe3+");
  type(grid, 2, 2, "1.25");
  type(grid, 2, 6, "0");
  grid->setCurrentCell(0, 0);  // back to a filled row: the row left is tidied
  EXPECT_EQ(text(grid, 2, 0), "Fe3+");
  EXPECT_EQ(text(grid, 2, 3), "0");
  EXPECT_EQ(text(grid, 2, 6), "1");
  QTableWidget* neutrons = page().neutron_atoms();
  EXPECT_EQ(text(neutrons, 2, 0), "Fe");
  EXPECT_EQ(text(neutrons, 2, 2), "1.25");
  // Fe: b = 9.45 fm (Sears, Neutron News 3 (1992) 26).
  EXPECT_EQ(text(neutrons, 2, 7).trimmed(), "0.945");
  ASSERT_EQ(program.workspace.crystal.atoms.size(), 3u);
  EXPECT_DOUBLE_EQ(program.workspace.crystal.atoms[2].x, 0.25);

  // An unknown ion is refused and its cell emptied.
  grid->setCurrentCell(3, 0);
  type(grid, 3, 0, "Qq");
  grid->setCurrentCell(1, 0);
  EXPECT_EQ(ui.last_warning(), "Unknown Ion: Qq");
  EXPECT_TRUE(text(grid, 3, 0).isEmpty());

  // A double-click inserts an empty row in both grids.
  emit grid->cellDoubleClicked(1, 3);
  EXPECT_EQ(text(grid, 0, 0), "Na");
  EXPECT_TRUE(text(grid, 1, 0).isEmpty());
  EXPECT_EQ(text(grid, 2, 0), "Cl");
  EXPECT_EQ(text(grid, 3, 0), "Fe3+");
  EXPECT_EQ(text(neutrons, 3, 0), "Fe");
}

TEST_F(MainWindow, SourceButtonsSwapTheAtomGrids) {
  open("nacl.cry");
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  int resets = 0;
  window->on_reset_plot = [&resets] { ++resets; };
  window->neutron_button()->click();
  EXPECT_EQ(program.workspace.settings.source, RadiationSource::Neutrons);
  EXPECT_EQ(window->source_caption()->text(), "Source: Neutrons");
  EXPECT_TRUE(page().neutron_atoms()->isVisibleTo(&page()));
  EXPECT_FALSE(page().xray_atoms()->isVisibleTo(&page()));
  EXPECT_FALSE(page().anomalous()->isVisibleTo(&page()));
  EXPECT_EQ(text(page().neutron_atoms(), 0, 7).trimmed(), "0.363");  // Na: 3.63 fm (Sears 1992)
  EXPECT_EQ(window->neutron_button()->styleSheet(), "color: red");
  // An atom typed in the neutron grid is tidied and copied to the X-ray grid.
  QTableWidget* neutrons = page().neutron_atoms();
  neutrons->setCurrentCell(2, 0);
  type(neutrons, 2, 0, "o");
  neutrons->setCurrentCell(0, 0);
  EXPECT_EQ(text(neutrons, 2, 0), "O");
  EXPECT_EQ(text(neutrons, 2, 7).trimmed(), "0.580");  // O: 5.803 fm (Sears 1992)
  EXPECT_EQ(text(page().xray_atoms(), 2, 0), "O");
  EXPECT_EQ(program.workspace.crystal.atoms.size(), 3u);
  window->xray_button()->click();
  EXPECT_EQ(program.workspace.settings.source, RadiationSource::XRays);
  EXPECT_TRUE(page().xray_atoms()->isVisibleTo(&page()));
  EXPECT_EQ(ui.window_changes.back(), (std::pair<WindowId, bool>{WindowId::Polarisation, true}));
  EXPECT_EQ(resets, 2);
}

TEST_F(MainWindow, KeyboardCaptureSavesTheTypedCrystalAsANewPhase) {
  open("rutile.cry");
  window->action("&File/&Keyboard capture of crystal data")->trigger();
  // The new crystal starts blank, whatever phase was shown.
  EXPECT_TRUE(program.main_form.crystal.title.empty());
  EXPECT_TRUE(program.main_form.crystal.formula.empty());
  EXPECT_TRUE(text(page().xray_atoms(), 0, 0).isEmpty());
  EXPECT_FALSE(page().apply_button()->isVisibleTo(&page()));
  EXPECT_EQ(window->pages()->currentIndex(), static_cast<int>(MainPage::CrystalData));
  EXPECT_TRUE(page().capture_panel()->isVisibleTo(&page()));
  EXPECT_TRUE(page().panel()->isVisibleTo(&page()));
  // During the capture the crystal page stays in front.
  window->pages()->setCurrentIndex(2);
  EXPECT_EQ(window->pages()->currentIndex(), static_cast<int>(MainPage::CrystalData));

  page().system()->setCurrentIndex(0);
  emit page().system()->activated(0);
  page().cell(0)->setText("5.6402");
  emit page().cell(0)->editingFinished();
  program.main_form.crystal.hermann_mauguin = "F m -3 m";  // what the space-group window writes
  QTableWidget* grid = page().xray_atoms();
  grid->setCurrentCell(0, 0);
  type(grid, 0, 0, "Na");
  type(grid, 1, 0, "Cl");
  for (int column = 2; column <= 4; ++column) type(grid, 1, column, "0.5");
  grid->setCurrentCell(1, 0);
  grid->setCurrentCell(0, 0);

  ui.answer(Answer::Yes);
  ui.choose_file((folder / "typed").string());
  page().capture_apply_button()->click();
  EXPECT_TRUE(std::filesystem::exists(folder / "typed.cry")) << ui.last_warning();
  ASSERT_EQ(program.workspace.phase_count(), 2) << ui.last_warning();
  EXPECT_FALSE(program.workspace.keyboard_capture);
  EXPECT_FALSE(page().capture_panel()->isVisibleTo(&page()));
  EXPECT_EQ(window->phase_table()->item(1, 0)->text(), "typed");
  EXPECT_EQ(program.workspace.phase(2).crystal.atoms.size(), 2u);
}

TEST_F(MainWindow, CancelledCaptureLeavesNoPhaseAndHidesThePage) {
  window->action("&File/&Keyboard capture of crystal data")->trigger();
  ASSERT_TRUE(program.workspace.keyboard_capture);
  page().capture_cancel_button()->click();
  EXPECT_FALSE(program.workspace.keyboard_capture);
  EXPECT_FALSE(page().capture_panel()->isVisibleTo(&page()));
  EXPECT_FALSE(page().panel()->isVisibleTo(&page()));
  EXPECT_EQ(program.workspace.phase_count(), 0);
  // With no phase the crystal page shows nothing; the other pages go back to normal.
  window->pages()->setCurrentIndex(2);
  EXPECT_EQ(window->pages()->currentIndex(), 2);
}

TEST_F(MainWindow, RestoreModifDiscardsTheEditsAndApplyComputes) {
  open("nacl.cry");
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  window->pages()->setCurrentIndex(1);
  page().cell(0)->setText("6.0");
  emit page().cell(0)->editingFinished();
  page().apply_button()->click();
  EXPECT_DOUBLE_EQ(program.workspace.phase(1).crystal.cell.a, 6.0);
  page().restore_button()->click();
  EXPECT_DOUBLE_EQ(program.workspace.phase(1).crystal.cell.a, 5.6402);
  EXPECT_EQ(page().cell(0)->text().trimmed(), "5.6402");

  page().space_group_button()->click();
  EXPECT_EQ(ui.window_changes.back(), (std::pair<WindowId, bool>{WindowId::SpaceGroup, true}));
}

TEST_F(MainWindow, OpenPathAndDropsOpenEachFileAsItsMenuEntry) {
  // A crystal file dropped on a text field of the window becomes a phase.
  const QString nacl = QString::fromStdString(testing::source_folder("examples/nacl.cry").string());
  QMimeData crystal;
  crystal.setUrls({QUrl::fromLocalFile(nacl)});
  crystal.setText(nacl);  // file managers offer the name as text too
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &crystal, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->wavelength(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &crystal, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->wavelength(), &drop);
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning() << ui.open_requests.size();
  EXPECT_EQ(window->phase_table()->item(0, 0)->text(), "nacl");

  // A column peak file goes to the peak lists.
  const auto peaks = folder.write("peaks.prn", "31.7 100\n45.5 60\n56.5 20\n");
  EXPECT_TRUE(window->open_path(QString::fromStdString(peaks.string())));
  ASSERT_EQ(program.workspace.observed_peaks.size(), 1u) << ui.last_warning();

  // A total data file brings its whole workspace back.
  ui.choose_file((folder / "work.cmp").string());
  window->action("&File/Save the total data (*.cmp)")->trigger();
  window->action("&Erase/&General")->trigger();
  ASSERT_EQ(program.workspace.phase_count(), 0);
  EXPECT_TRUE(window->open_path(QString::fromStdString((folder / "work.cmp").string())));
  EXPECT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_EQ(program.workspace.observed_peaks.size(), 1u);

  // A name of no known kind is refused with one message and leaves no answer for a later dialog.
  const auto text = folder.write("notes.xyz", "x");
  EXPECT_FALSE(window->open_path(QString::fromStdString(text.string())));
  EXPECT_EQ(ui.last_warning(), "Unknown file type: notes.xyz");
  EXPECT_TRUE(ui.files.empty());
}

TEST_F(MainWindow, EraseGeneralAndPageChanges) {
  open("nacl.cry");
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  int clears = 0;
  window->on_clear_plot = [&clears] { ++clears; };
  window->action("&Erase/&General")->trigger();
  EXPECT_EQ(program.workspace.phase_count(), 0);
  EXPECT_EQ(window->status_panel()->text(), "Data");
  EXPECT_EQ(clears, 1);
  // With no phase the crystal page hides its panel.
  window->pages()->setCurrentIndex(1);
  EXPECT_FALSE(page().panel()->isVisibleTo(&page()));
  EXPECT_FALSE(page().selector_box()->isVisibleTo(&page()));
  // The style page asks for the colours window once there is something to colour.
  open("nacl.cry");
  window->pages()->setCurrentIndex(3);
  EXPECT_EQ(ui.window_changes.back(), (std::pair<WindowId, bool>{WindowId::Colours, true}));
}

TEST_F(MainWindow, ExperimentPageControlsReachTheSettings) {
  // Line 5 of the list is CuKa1.
  window->line_list()->setCurrentIndex(5);
  emit window->line_list()->activated(5);
  EXPECT_DOUBLE_EQ(program.workspace.settings.wavelengths.front(), 1.54056);
  EXPECT_EQ(window->wavelength()->text().trimmed().left(6), "1.5405");
  // The Theta scale halves the range fields.
  window->angle_scale_button(0)->click();
  EXPECT_EQ(program.workspace.settings.angle_scale, AngleScale::Theta);
}

TEST_F(MainWindow, ActivationRewritesTheSourceCaptionAndTheCellFields) {
  open("nacl.cry");
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  program.workspace.settings.xray_source = XRaySource::Synchrotron;
  program.workspace.settings.polarisation = 0.25;
  program.workspace.crystal.cell.a = 5.5;  // the working cell is what the fields show again
  window->reset_donnees();
  EXPECT_EQ(window->source_caption()->text(), "Source: X Synchr. p=0.25");
  EXPECT_EQ(page().cell(0)->text().trimmed(), "5.5000");
  EXPECT_EQ(page().cell(2)->text().trimmed(), "5.5000");  // cubic: c follows a
}

TEST_F(MainWindow, AnomalousPanelSitsUnderTheAnomalousTableAndOpensFromIt) {
  Windows windows(program, window.get());
  window->set_windows(&windows);
  AnomalousPanel* panel = windows.anomalous_panel();
  EXPECT_TRUE(page().isAncestorOf(panel));
  EXPECT_TRUE(panel->isHidden());
  // Without atoms the panel refuses to open.
  page().anomalous_button()->click();
  EXPECT_EQ(ui.last_warning(), "No atom in the asymetric unit!");
  EXPECT_TRUE(panel->isHidden());
  open("rutile.cry");
  page().anomalous_button()->click();
  EXPECT_FALSE(panel->isHidden());
  panel->cancel_button()->click();
  EXPECT_TRUE(panel->isHidden());
}

}  // namespace
}  // namespace calvane
