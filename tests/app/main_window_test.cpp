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
#include <QRegularExpression>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QUrl>

#include "app/anomalous_panel_widget.hpp"
#include "app/crystal_page_widget.hpp"
#include "app/qt_application.hpp"
#include "app/text_grid_table.hpp"
#include "app/windows.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"

namespace calvane {
namespace {

using testing::source_folder;

const QString kOpenCry = "&File/Open a crystal data file/Calvan&e format (*.cry)";

struct MainWindow : ::testing::Test {
  testing::TempFolder folder;
  testing::ScriptedUi ui;
  Program program{ui, folder.path()};
  std::unique_ptr<Tfmain> window;

  void SetUp() override {
    testing::application();
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

  // Opens an example crystal through the menu; true when it became one more phase.
  bool open(const char* example) {
    const int before = program.workspace.phase_count();
    ui.choose_file(source_folder(std::string("examples/") + example).string());
    window->action(kOpenCry)->trigger();
    return program.workspace.phase_count() == before + 1;
  }
  void trigger(const char* path) { window->action(path)->trigger(); }

  CrystalPage& page() const { return *window->crystal_page(); }
  bool shown(QWidget* widget) const { return widget->isVisibleTo(&page()); }
  void edit_cell(int field, const char* text) {
    page().cell(field)->setText(text);
    emit page().cell(field)->editingFinished();
  }
  void choose_system(int index) {
    page().system()->setCurrentIndex(index);
    emit page().system()->activated(index);
  }
  std::pair<WindowId, bool> last_window_change() const { return ui.window_changes.back(); }

  static void type(QTableWidget* grid, int row, int column, const QString& text) {
    if (grid->item(row, column) == nullptr) grid->setItem(row, column, new QTableWidgetItem);
    grid->item(row, column)->setText(text);
  }
  static QString text(QTableWidget* grid, int row, int column) {
    return grid->item(row, column) != nullptr ? grid->item(row, column)->text() : QString();
  }
};

TEST_F(MainWindow, StartsWithItsCaptionPagesAndEveryOwnMenuItemEnabled) {
  // The version is the build's project version, not a date.
  EXPECT_EQ(window->windowTitle(), "Multi Phases  version of Calvane  " + QString::fromStdString(std::string(program_version())));
  EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+(\\.\\d+)*$").match(QString::fromStdString(std::string(program_version()))).hasMatch());
  EXPECT_EQ(window->width(), 1020);
  ASSERT_EQ(window->pages()->count(), 4);
  EXPECT_EQ(window->pages()->tabText(2), "Phases Data");
  EXPECT_EQ(window->action("&File/Open an observed peaks file/&Column format (*.prn)")->statusTip(),
            "2θ and intensity (optional)");
  // Everything but the file lists, the viewer and the unavailable ICSD format works from the start.
  const QStringList waiting = {"&File/List of the crystal data files", "&File/List of the observed diagram files",
                               "&File/List of observed peaks file", "&File/List of total data files",
                               "&File/Start &Lumiso2", "&File/Open a crystal data file/&ICSD format (*.ics)"};
  int enabled = 0;
  for (QAction* item : window->findChildren<QAction*>()) {
    if (item->menu() != nullptr || item->isSeparator() || item->text().isEmpty()) continue;
    const bool waits =
        std::any_of(waiting.begin(), waiting.end(), [&](const QString& p) { return window->action(p) == item; });
    EXPECT_NE(item->isEnabled(), waits) << item->text().toStdString();
    enabled += item->isEnabled();
  }
  EXPECT_GT(enabled, 30);

  // The hooks of the file lists and the viewer enable their items and reach their work.
  std::vector<FileListKind> lists;
  auto* panel = new QLabel("files");
  window->set_file_list_panel(panel, [&lists](FileListKind kind) { lists.push_back(kind); });
  int launches = 0;
  window->set_viewer_launcher([&launches] { ++launches; });
  trigger("&File/List of observed peaks file");
  trigger("&File/Start &Lumiso2");
  EXPECT_EQ(lists, std::vector<FileListKind>{FileListKind::ObservedPeaks});
  EXPECT_EQ(launches, 1);
  EXPECT_TRUE(window->isAncestorOf(panel));
}

TEST_F(MainWindow, OpenCrystalStructureTakesAnyFormatAndTellsWhatWasAssumed) {
  QAction* open_any = window->action("&File/&Open crystal structure...");
  ASSERT_NE(open_any, nullptr);
  EXPECT_TRUE(open_any->isEnabled());
  ui.choose_file(source_folder("tests/crystal_io/fixtures/amcsd_quartz.cif").string());
  open_any->trigger();
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  ASSERT_EQ(ui.open_requests.size(), 1u);
  EXPECT_EQ(ui.open_requests[0].filter.rfind("All crystal files (", 0), 0u);
  EXPECT_EQ(ui.open_requests[0].filter_index, 1);
  ASSERT_EQ(ui.notices.size(), 1u);
  EXPECT_NE(ui.notices[0].find("Elements taken from the atom labels"), std::string::npos);

  // A file whose name ends in no crystal extension is told by its content.
  const auto unnamed = folder.write("rutile_structure",
                                    "CELL  4.5937  4.5937  2.9587  90.000  90.000  90.000\n"
                                    "Ti1  22  0.0 0.0 0.0  1.0  0.42\nO1    8  0.30478 0.30478 0.0  1.0  0.58\n"
                                    "rgnr 136\n");
  ui.choose_file(unnamed.string());
  open_any->trigger();
  EXPECT_EQ(program.workspace.phase_count(), 2) << ui.last_warning();
  EXPECT_EQ(program.workspace.crystal_file_kind, CrystalFileKind::PowderCell);
}

TEST_F(MainWindow, StandardShortcutsHelpAndAMissingDataFile) {
  const std::pair<QString, QKeySequence> shortcuts[] = {
      {"&File/&Open crystal structure...", QKeySequence(Qt::CTRL | Qt::Key_O)},
      {"&File/Save the total data (*.cmp)", QKeySequence(Qt::CTRL | Qt::Key_S)},
      {"&File/&Quit", QKeySequence(Qt::CTRL | Qt::Key_Q)},
      {"&Help", QKeySequence(Qt::Key_F1)},
  };
  for (const auto& [path, keys] : shortcuts) {
    QAction* item = window->action(path);
    EXPECT_EQ(item->shortcut(), keys) << path.toStdString();
    EXPECT_TRUE(window->actions().contains(item)) << path.toStdString();  // reachable with the menus closed
  }
  trigger("&Help");
  EXPECT_EQ(ui.help_topics, std::vector<int>{14});
  trigger("&About");
  EXPECT_EQ(last_window_change(), std::pair(WindowId::About, true));

  std::filesystem::remove(folder / "muro.dat");
  EXPECT_FALSE(Tfmain(program).start());
  EXPECT_EQ(ui.last_warning(), "File muro.dat not found");
}

TEST_F(MainWindow, CloseBoxAndQuitAskToSaveAChangedWorkspace) {
  window->show();
  window->close();  // nothing changed: closes without a question
  EXPECT_TRUE(ui.questions.empty());
  EXPECT_TRUE(ui.quit_called);

  ui.quit_called = false;
  window->show();
  ASSERT_TRUE(open("silicon.cry"));
  EXPECT_TRUE(window->windowTitle().startsWith("Untitled* - Multi Phases"));
  ui.save_choices = {SaveChoice::Cancel};
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  EXPECT_FALSE(ui.quit_called);
  EXPECT_EQ(ui.questions, std::vector<std::string>{"Save the workspace before closing?"});

  // "Quit" saves through the save dialog; the caption then names the file.
  ui.save_choices = {SaveChoice::Save};
  ui.choose_file((folder / "work.cmp").string(), 2);
  trigger("&File/&Quit");
  EXPECT_TRUE(ui.quit_called);
  EXPECT_TRUE(std::filesystem::exists(folder / "work.cmp"));
  EXPECT_TRUE(window->windowTitle().startsWith("work.cmp - Multi Phases"));
}

TEST_F(MainWindow, OpenedPhaseReachesThePagesResultsAndReports) {
  ASSERT_TRUE(open("rutile.cry")) << ui.last_warning();
  EXPECT_EQ(window->phase_table()->item(0, 0)->text(), "rutile");
  // The crystal page shows the phase: system, cell and atoms, the apply bar's caption.
  EXPECT_EQ(page().system()->currentText(), "Tetra.");
  EXPECT_TRUE(page().cell(1)->isReadOnly());  // b follows a
  EXPECT_EQ((QStringList{text(page().xray_atoms(), 0, 0), text(page().xray_atoms(), 1, 0)}), (QStringList{"Ti", "O"}));
  EXPECT_TRUE(page().apply_bar_caption()->text().startsWith("Data for Phase1(rutile"));
  EXPECT_FALSE(text(page().absorption(), 0, 0).isEmpty());

  // The results list shows the computed lines; a click marks the line's angle.
  ASSERT_GT(window->results()->count(), 3);
  int marked = -1;
  window->on_results_line = [&marked](int row) { marked = row; };
  window->results()->setCurrentRow(3);
  EXPECT_EQ(program.main_form.results_selected, 3);
  EXPECT_EQ(marked, 3);

  trigger("&Results/&Global results");
  EXPECT_TRUE(std::filesystem::exists(folder / "report_cmp.txt"));
  trigger("&Erase/&Phases");
  EXPECT_EQ(program.workspace.phase_count(), 0);
  EXPECT_EQ(window->results()->count(), 0);
  EXPECT_TRUE(window->phase_table()->item(0, 0)->text().isEmpty());
  trigger("&File/&Quit");
  EXPECT_TRUE(ui.quit_called);
}

TEST_F(MainWindow, DoubleClickOnAPhaseDeletesItOnceConfirmedAndRestoreBringsItBack) {
  for (const char* name : {"nacl.cry", "rutile.cry", "silicon.cry"}) ASSERT_TRUE(open(name)) << ui.last_warning();
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
  for (const char* name : {"nacl.cry", "rutile.cry"}) ASSERT_TRUE(open(name)) << ui.last_warning();
  QTableWidget* table = window->phase_table();
  table->item(0, 4)->setText("50");
  table->item(1, 4)->setText("150");
  const auto buttons = window->pages()->widget(2)->findChildren<QPushButton*>();
  const auto apply = std::find_if(buttons.begin(), buttons.end(), [](auto* b) { return b->text() == "Apply"; });
  ASSERT_NE(apply, buttons.end());
  (*apply)->click();
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
  for (const char* name : {"nacl.cry", "corundum.cry"}) ASSERT_TRUE(open(name)) << ui.last_warning();
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
  ASSERT_TRUE(open("nacl.cry")) << ui.last_warning();
  edit_cell(0, "5.431");
  EXPECT_DOUBLE_EQ(program.workspace.crystal.cell.a, 5.431);
  EXPECT_EQ(page().cell(1)->text().trimmed(), "5.431");
  EXPECT_EQ(page().cell(2)->text().trimmed(), "5.431");
  EXPECT_TRUE(page().cell(3)->isReadOnly());
  // "Rhomb." copies α into β and γ and frees α.
  choose_system(4);
  EXPECT_FALSE(page().cell(3)->isReadOnly());
  edit_cell(3, "60");
  EXPECT_EQ(page().cell(4)->text().trimmed(), page().cell(3)->text().trimmed());
  EXPECT_EQ(page().cell(5)->text().trimmed(), page().cell(3)->text().trimmed());
  EXPECT_TRUE(page().hermann_mauguin()->text().isEmpty());  // a new system drops the group
  edit_cell(3, "sixty");
  EXPECT_EQ(ui.last_warning(), "Reading error on Alpha!");
}

TEST_F(MainWindow, LeavingAnAtomRowTidiesItAndCopiesItToTheNeutronGrid) {
  ASSERT_TRUE(open("nacl.cry")) << ui.last_warning();
  QTableWidget* grid = page().xray_atoms();
  QTableWidget* neutrons = page().neutron_atoms();
  grid->setCurrentCell(2, 0);
  type(grid, 2, 0, "fe3+");
  type(grid, 2, 2, "1.25");
  type(grid, 2, 6, "0");
  grid->setCurrentCell(0, 0);  // back to a filled row: the row left is tidied
  EXPECT_EQ(text(grid, 2, 0), "Fe3+");
  EXPECT_EQ(text(grid, 2, 3), "0");
  EXPECT_EQ(text(grid, 2, 6), "1");
  EXPECT_EQ(text(neutrons, 2, 0), "Fe");
  EXPECT_EQ(text(neutrons, 2, 2), "1.25");
  EXPECT_EQ(text(neutrons, 2, 7).trimmed(), "0.945");  // Fe: b = 9.45 fm (Sears, Neutron News 3 (1992) 26)
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
  const QStringList column = {text(grid, 0, 0), text(grid, 1, 0), text(grid, 2, 0), text(grid, 3, 0)};
  EXPECT_EQ(column, (QStringList{"Na", "", "Cl", "Fe3+"}));
  EXPECT_EQ(text(neutrons, 3, 0), "Fe");
}

TEST_F(MainWindow, SourceButtonsSwapTheAtomGrids) {
  ASSERT_TRUE(open("nacl.cry")) << ui.last_warning();
  int resets = 0;
  window->on_reset_plot = [&resets] { ++resets; };
  window->neutron_button()->click();
  EXPECT_EQ(program.workspace.settings.source, RadiationSource::Neutrons);
  EXPECT_EQ(window->source_caption()->text(), "Source: Neutrons");
  EXPECT_TRUE(shown(page().neutron_atoms()));
  EXPECT_FALSE(shown(page().xray_atoms()) || shown(page().anomalous()));
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
  EXPECT_TRUE(shown(page().xray_atoms()));
  EXPECT_EQ(last_window_change(), std::pair(WindowId::Polarisation, true));
  EXPECT_EQ(resets, 2);
}

TEST_F(MainWindow, KeyboardCaptureSavesTheTypedCrystalAsANewPhase) {
  open("rutile.cry");
  trigger("&File/&Keyboard capture of crystal data");
  // The new crystal starts blank, whatever phase was shown.
  EXPECT_TRUE(program.main_form.crystal.title.empty() && program.main_form.crystal.formula.empty());
  EXPECT_TRUE(text(page().xray_atoms(), 0, 0).isEmpty());
  EXPECT_FALSE(shown(page().apply_button()));
  EXPECT_EQ(window->pages()->currentIndex(), static_cast<int>(MainPage::CrystalData));
  EXPECT_TRUE(shown(page().capture_panel()) && shown(page().panel()));
  // During the capture the crystal page stays in front.
  window->pages()->setCurrentIndex(2);
  EXPECT_EQ(window->pages()->currentIndex(), static_cast<int>(MainPage::CrystalData));

  choose_system(0);
  edit_cell(0, "5.6402");
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
  EXPECT_FALSE(shown(page().capture_panel()));
  EXPECT_EQ(window->phase_table()->item(1, 0)->text(), "typed");
  EXPECT_EQ(program.workspace.phase(2).crystal.atoms.size(), 2u);
}

TEST_F(MainWindow, CancelledCaptureLeavesNoPhaseAndHidesThePage) {
  trigger("&File/&Keyboard capture of crystal data");
  ASSERT_TRUE(program.workspace.keyboard_capture);
  page().capture_cancel_button()->click();
  EXPECT_FALSE(program.workspace.keyboard_capture);
  EXPECT_FALSE(shown(page().capture_panel()) || shown(page().panel()));
  EXPECT_EQ(program.workspace.phase_count(), 0);
  // With no phase the crystal page shows nothing; the other pages go back to normal.
  window->pages()->setCurrentIndex(2);
  EXPECT_EQ(window->pages()->currentIndex(), 2);
}

TEST_F(MainWindow, RestoreModifDiscardsTheEditsAndApplyComputes) {
  ASSERT_TRUE(open("nacl.cry")) << ui.last_warning();
  window->pages()->setCurrentIndex(1);
  edit_cell(0, "6.0");
  page().apply_button()->click();
  EXPECT_DOUBLE_EQ(program.workspace.phase(1).crystal.cell.a, 6.0);
  page().restore_button()->click();
  EXPECT_DOUBLE_EQ(program.workspace.phase(1).crystal.cell.a, 5.6402);
  EXPECT_EQ(page().cell(0)->text().trimmed(), "5.6402");
  page().space_group_button()->click();
  EXPECT_EQ(last_window_change(), std::pair(WindowId::SpaceGroup, true));
}

TEST_F(MainWindow, OpenPathAndDropsOpenEachFileAsItsMenuEntry) {
  // A crystal file dropped on a text field of the window becomes a phase.
  const QString nacl = QString::fromStdString(source_folder("examples/nacl.cry").string());
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
  auto open_path = [this](const std::filesystem::path& path) {
    return window->open_path(QString::fromStdString(path.string()));
  };
  // A column peak file goes to the peak lists.
  EXPECT_TRUE(open_path(folder.write("peaks.prn", "31.7 100\n45.5 60\n56.5 20\n")));
  ASSERT_EQ(program.workspace.observed_peaks.size(), 1u) << ui.last_warning();
  // A measured pattern of a format the menus do not name opens through the entry that recognises it.
  EXPECT_TRUE(open_path(std::filesystem::path(CALVANE_SOURCE_DIR) / "tests/experiment_io/fixtures/corundum_v1.xrdml"));
  ASSERT_EQ(program.workspace.observed_patterns.size(), 1u) << ui.last_warning();
  EXPECT_EQ(program.workspace.observed_patterns[0].points.size(), 4u);
  program.workspace.observed_patterns.clear();
  // A total data file brings its whole workspace back.
  ui.choose_file((folder / "work.cmp").string());
  trigger("&File/Save the total data (*.cmp)");
  trigger("&Erase/&General");
  ASSERT_EQ(program.workspace.phase_count(), 0);
  EXPECT_TRUE(open_path(folder / "work.cmp"));
  EXPECT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_EQ(program.workspace.observed_peaks.size(), 1u);
  // A name of no known kind is refused with one message and leaves no answer for a later dialog.
  EXPECT_FALSE(open_path(folder.write("notes.xyz", "x")));
  EXPECT_EQ(ui.last_warning(), "Unknown file type: notes.xyz");
  EXPECT_TRUE(ui.files.empty());
}

TEST_F(MainWindow, TheStatusPanelNamesTheCifAndTheDataGridsPaintTheirCells) {
  const auto cif = folder.write("albite.cif", *read_file_bytes(source_folder("tests/crystal_io/fixtures") / "low_albite.cif"));
  ASSERT_TRUE(window->open_path(QString::fromStdString(cif.string())));
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  EXPECT_EQ(window->status_panel()->text(), "Data (albite.cif)");
  for (QTableWidget* grid : {page().xray_atoms(), page().neutron_atoms(), page().anomalous(), page().absorption()})
    EXPECT_NE(dynamic_cast<GridCellDelegate*>(grid->itemDelegate()), nullptr);
}

TEST_F(MainWindow, EraseGeneralPageChangesAndExperimentControls) {
  ASSERT_TRUE(open("nacl.cry")) << ui.last_warning();
  int clears = 0;
  window->on_clear_plot = [&clears] { ++clears; };
  trigger("&Erase/&General");
  EXPECT_EQ(program.workspace.phase_count(), 0);
  EXPECT_EQ(window->status_panel()->text(), "Data");
  EXPECT_EQ(clears, 1);
  // With no phase the crystal page hides its panel.
  window->pages()->setCurrentIndex(1);
  EXPECT_FALSE(shown(page().panel()) || shown(page().selector_box()));
  // Line 5 of the list is CuKa1; the Theta scale halves the range fields.
  window->line_list()->setCurrentIndex(5);
  emit window->line_list()->activated(5);
  EXPECT_DOUBLE_EQ(program.workspace.settings.wavelengths.front(), 1.54056);
  EXPECT_EQ(window->wavelength()->text().trimmed().left(6), "1.5405");
  window->angle_scale_button(0)->click();
  EXPECT_EQ(program.workspace.settings.angle_scale, AngleScale::Theta);
  // The style page asks for the colours window once there is something to colour.
  open("nacl.cry");
  window->pages()->setCurrentIndex(3);
  EXPECT_EQ(last_window_change(), std::pair(WindowId::Colours, true));
}

TEST_F(MainWindow, ActivationRewritesTheSourceCaptionAndTheCellFields) {
  ASSERT_TRUE(open("nacl.cry")) << ui.last_warning();
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
  page().anomalous_button()->click();  // without atoms the panel refuses to open
  EXPECT_EQ(ui.last_warning(), "No atom in the asymmetric unit!");
  EXPECT_TRUE(panel->isHidden());
  open("rutile.cry");
  page().anomalous_button()->click();
  EXPECT_FALSE(panel->isHidden());
  panel->cancel_button()->click();
  EXPECT_TRUE(panel->isHidden());
}

}  // namespace
}  // namespace calvane
