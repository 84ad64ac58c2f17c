// The lists of the space-group window, of the multiple-wavelength dialog and
// of the missing-wavelength window are worked by the keyboard as by the mouse: a row selected with the arrow
// keys is the choice in force, a list that merely takes the focus chooses
// nothing, and Return leaves the space-group window with the choice.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include "app/qt_application.hpp"
#include "app/lambda_missing_window.hpp"
#include "app/space_group_window.hpp"
#include "app/wavelength_dialog.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

using testing::application;
using testing::ScriptedUi;
using testing::TempFolder;

// The space-group routes write their scratch files into the program folder: a copy of the shipped data.
std::filesystem::path data_copy(const TempFolder& folder) {
  std::filesystem::copy(testing::source_folder("data"), folder.path(),
                        std::filesystem::copy_options::recursive);
  return folder.path();
}

struct KeyboardLists : ::testing::Test {
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, data_copy(folder)};

  void SetUp() override { application(); }
};

TEST_F(KeyboardLists, ArrowKeysInTheSpaceGroupListsChooseTheGroupAndReturnKeepsIt) {
  program.workspace.crystal.system_code = "CUBI";
  program.workspace.crystal.symbol = "F m -3 m";
  Tfgroupes window(program);
  window.show();  // the phase's group is found in the GETSPEC catalogue
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  ASSERT_TRUE(ui.warnings.empty()) << ui.last_warning();
  const std::string hall = program.main_form.crystal.hall;
  ASSERT_FALSE(hall.empty());
  QListWidget* standard = window.standard_symbols();
  ASSERT_GT(standard->count(), 2);
  ASSERT_EQ(standard->item(0)->text(), "P 2 3");

  // Taking the focus makes a row current, but chooses nothing.
  standard->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(program.workspace.crystal.symbol, "F m -3 m");
  EXPECT_EQ(program.main_form.crystal.hall, hall);

  QTest::keyClick(standard, Qt::Key_Down);
  ASSERT_EQ(standard->currentRow(), 1);
  EXPECT_EQ(program.workspace.crystal.symbol, standard->item(1)->text().toStdString());
  EXPECT_EQ(program.main_form.crystal.hall, "");  // the standard list's route
  QTest::keyClick(standard, Qt::Key_Up);
  EXPECT_EQ(program.workspace.crystal.symbol, "P 2 3");
  EXPECT_EQ(program.main_form.crystal.hermann_mauguin, "P 2 3");
  // 23 with a primitive lattice: 12 general positions (International Tables A, No. 195).
  EXPECT_EQ(window.positions()->rowCount(), 12);
  EXPECT_TRUE(window.catalogue()->selectedItems().isEmpty());

  // In the catalogue, the row below the one last shown is chosen by the GETSPEC route.
  QTreeWidget* catalogue = window.catalogue();
  catalogue->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(program.workspace.crystal.symbol, "P 2 3");
  const int below = catalogue->indexOfTopLevelItem(catalogue->currentItem()) + 1;
  ASSERT_LT(below, catalogue->topLevelItemCount());
  QTest::keyClick(catalogue, Qt::Key_Down);
  QTreeWidgetItem* chosen = catalogue->topLevelItem(below);
  EXPECT_EQ(program.main_form.crystal.hermann_mauguin, chosen->text(0).toStdString());
  EXPECT_EQ(program.main_form.crystal.space_group_number, chosen->text(2).toStdString());
  EXPECT_FALSE(program.main_form.crystal.hall.empty());
  EXPECT_TRUE(standard->selectedItems().isEmpty());

  // Return in a list is the window's OK: it closes with the group in force.
  QTest::keyClick(catalogue, Qt::Key_Return);
  ASSERT_TRUE(ui.warnings.empty()) << ui.last_warning();
  ASSERT_FALSE(ui.window_changes.empty());
  EXPECT_EQ(ui.window_changes.back(), std::make_pair(WindowId::SpaceGroup, false));
  EXPECT_EQ(program.workspace.crystal.symbol, chosen->text(0).toStdString());
}

TEST_F(KeyboardLists, ArrowKeysInTheAnodeListFillItsLinesAndTheFocusAloneDoesNot) {
  Tfimpur dialog(program, [](const FollowUp&) {});
  dialog.show();
  dialog.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  dialog.wavelength_edit(3)->setText("2.0");
  QListWidget* anodes = dialog.anodes();
  anodes->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(dialog.wavelength_edit(0)->text(), "");
  EXPECT_EQ(program.wavelength_form.anode_index, -1);

  QTest::keyClick(anodes, Qt::Key_Down);
  ASSERT_EQ(anodes->currentRow(), 1);
  // The Cu K lines: Kα1, Kα2 and Kβ with intensities 100, 50 and 10.
  EXPECT_EQ(dialog.wavelength_edit(0)->text(), "1.54056");
  EXPECT_EQ(dialog.wavelength_edit(1)->text(), "1.54439");
  EXPECT_EQ(dialog.wavelength_edit(2)->text(), "1.39222");
  EXPECT_EQ(dialog.intensity_edit(2)->text(), "10");
  EXPECT_EQ(dialog.wavelength_edit(3)->text(), "2.0");  // the fourth row is the user's

  QTest::keyClick(anodes, Qt::Key_Up);
  EXPECT_EQ(dialog.wavelength_edit(0)->text(), "0.70930");  // Mo Kα1
  EXPECT_EQ(program.wavelength_form.anode_index, 0);

  // A click on the chosen anode fills its rows again over what was typed.
  dialog.wavelength_edit(1)->setText("0.8");
  QTest::mouseClick(anodes->viewport(), Qt::LeftButton, {}, anodes->visualItemRect(anodes->item(0)).center());
  EXPECT_EQ(dialog.wavelength_edit(1)->text(), "0.71359");
}

TEST_F(KeyboardLists, ArrowKeysInTheMissingWavelengthAnodeListFillItsBoxes) {
  open_lambda_missing(program.lambda_missing, (folder / "nolambda.dat").string());
  LambdaMissingWindow window(program, [](const ObservedLoad&) {});
  window.refresh_from_model();
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QListWidget* anodes = window.anodes();
  anodes->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(window.lambda1_edit()->text(), "");
  QTest::keyClick(anodes, Qt::Key_Down);
  ASSERT_EQ(anodes->currentRow(), 1);
  EXPECT_EQ(window.lambda1_edit()->text(), " 1.54056");  // Cu Kα1
  EXPECT_EQ(program.lambda_missing.anode_index, 1);
  QTest::keyClick(anodes, Qt::Key_Down);
  EXPECT_EQ(program.lambda_missing.anode, "Co");
}

}  // namespace
}  // namespace calvane
