#include "app/main_window.hpp"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

#include "app/qt_application.hpp"
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTabWidget>

#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

using testing::ScriptedUi;
using testing::TempFolder;

using testing::application;

struct MainWindow : ::testing::Test {
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder.path()};

  void SetUp() override {
    application();
    folder.add_data_files();
  }
};

TEST_F(MainWindow, StartsWithItsCaptionPagesAndMenus) {
  Tfmain window(program);
  ASSERT_TRUE(window.start());
  EXPECT_EQ(window.windowTitle(), "Multi Phases  version of Calvane  (31/03/04)");
  EXPECT_EQ(window.width(), 1020);
  ASSERT_EQ(window.pages()->count(), 4);
  EXPECT_EQ(window.pages()->tabText(2), "Phases Data");
  for (const char* path : {"&File/Open a crystal data file/Calvan&e format (*.cry)", "&File/&Quit",
                           "&File/Open an observed peaks file/&Column format (*.prn)", "&Erase/&General",
                           "&Results/&Global results", "&Help", "&About", "&Quit"})
    EXPECT_NE(window.action(path), nullptr) << path;
  EXPECT_EQ(window.action("&File/Open an observed peaks file/&Column format (*.prn)")->statusTip(),
            "2Theta and intensity(optional)");
  EXPECT_TRUE(window.action("&File/Open a crystal data file/Calvan&e format (*.cry)")->isEnabled());
  EXPECT_FALSE(window.action("&File/Open a crystal data file/&ICSD format (*.ics)")->isEnabled());
}

TEST_F(MainWindow, MissingDataFileStopsTheStart) {
  std::filesystem::remove(folder / "muro.dat");
  Tfmain window(program);
  EXPECT_FALSE(window.start());
  EXPECT_EQ(ui.last_warning(), "File muro.dat not found");
}

TEST_F(MainWindow, OpeningACrystalThroughTheMenuFillsThePages) {
  Tfmain window(program);
  ASSERT_TRUE(window.start());
  ui.choose_file(testing::source_folder("examples/nacl.cry").string());
  window.action("&File/Open a crystal data file/Calvan&e format (*.cry)")->trigger();
  EXPECT_TRUE(ui.warnings.empty()) << ui.last_warning();
  ASSERT_EQ(program.workspace.phase_count(), 1);
  EXPECT_EQ(program.main_form.phases.rows[0].name, "nacl");
  EXPECT_EQ(window.pages()->currentIndex(), static_cast<int>(MainPage::ExperimentalData));
  // Quit deletes the listings and closes the window through the Ui.
  window.action("&File/&Quit")->trigger();
  EXPECT_TRUE(ui.quit_called);
}

TEST_F(MainWindow, MenuItemsReachTheirHandlers) {
  Tfmain window(program);
  ASSERT_TRUE(window.start());
  ui.choose_file(testing::source_folder("examples/rutile.cry").string());
  window.action("&File/Open a crystal data file/Calvan&e format (*.cry)")->trigger();
  ASSERT_EQ(program.workspace.phase_count(), 1) << ui.last_warning();
  // The results list shows the computed lines; a click marks the line's angle.
  ASSERT_GT(window.results()->count(), 3);
  window.results()->setCurrentRow(3);
  EXPECT_EQ(program.main_form.results_selected, 3);

  window.action("&Results/&Global results")->trigger();
  EXPECT_TRUE(std::filesystem::exists(folder / "report_cmp.txt"));
  ASSERT_FALSE(ui.shown_text_files.empty());
  window.action("&Help")->trigger();
  EXPECT_EQ(ui.help_topics, std::vector<int>{14});
  window.action("&About")->trigger();
  EXPECT_EQ(ui.window_changes.back(), (std::pair<WindowId, bool>{WindowId::About, true}));
  window.action("&Erase/&Phases")->trigger();
  EXPECT_EQ(program.workspace.phase_count(), 0);
  EXPECT_EQ(window.results()->count(), 0);
}

TEST_F(MainWindow, PhasesPageEditsReachThePhasesThroughApply) {
  Tfmain window(program);
  ASSERT_TRUE(window.start());
  for (const char* name : {"examples/nacl.cry", "examples/rutile.cry"}) {
    ui.choose_file(testing::source_folder(name).string());
    window.action("&File/Open a crystal data file/Calvan&e format (*.cry)")->trigger();
  }
  ASSERT_EQ(program.workspace.phase_count(), 2) << ui.last_warning();
  auto* table = window.pages()->widget(2)->findChild<QTableWidget*>();
  ASSERT_NE(table, nullptr);
  table->item(0, 4)->setText("50");
  table->item(1, 4)->setText("150");
  QPushButton* apply = nullptr;
  for (auto* button : window.pages()->widget(2)->findChildren<QPushButton*>())
    if (button->text() == "Apply") apply = button;
  ASSERT_NE(apply, nullptr);
  apply->click();
  // The shares are normalised: 50 and 150 become 25.0 and 75.0.
  EXPECT_DOUBLE_EQ(program.workspace.phase(1).fraction, 0.25);
  EXPECT_EQ(table->item(1, 4)->text().trimmed(), "75.0");
  // Unchecking the sum's box masks the sum.
  table->item(8, 2)->setCheckState(Qt::Unchecked);
  EXPECT_FALSE(program.workspace.settings.draw_sum);
}

}  // namespace
}  // namespace calvane
