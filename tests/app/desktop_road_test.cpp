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

#include "app/app_helpers.hpp"
#include "app/qt_application.hpp"
#include "app/lambda_missing_window.hpp"
#include "app/space_group_window.hpp"
#include "app/wavelength_dialog.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane {
namespace {

using testing::application;
using testing::show_active;
using testing::ScriptedUi;
using testing::TempFolder;

struct KeyboardLists : ::testing::Test {
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder.path()};

  void SetUp() override {
    application();
    folder.add_data_files();
  }
};

TEST_F(KeyboardLists, ArrowKeysInTheSpaceGroupListsChooseTheGroupAndReturnKeepsIt) {
  program.workspace.crystal.system_code = "CUBI";
  program.workspace.crystal.symbol = "F m -3 m";
  SpaceGroupWindow window(program);
  ASSERT_TRUE(show_active(&window));
  QListWidget* standard = window.standard_symbols();
  ASSERT_EQ(standard->item(0)->text(), "P 2 3");
  standard->setFocus(Qt::TabFocusReason);  // a row becomes current, but nothing is chosen
  EXPECT_EQ(program.workspace.crystal.symbol, "F m -3 m");
  QTest::keyClick(standard, Qt::Key_Down);
  EXPECT_EQ(program.workspace.crystal.symbol, standard->item(1)->text().toStdString());
  QTest::keyClick(standard, Qt::Key_Up);
  EXPECT_EQ(program.main_form.crystal.hermann_mauguin, "P 2 3");
  EXPECT_EQ(window.positions()->rowCount(), 12);  // 23, primitive (International Tables A, No. 195)

  QTreeWidget* catalogue = window.catalogue();
  catalogue->setFocus(Qt::TabFocusReason);
  const int below = catalogue->indexOfTopLevelItem(catalogue->currentItem()) + 1;
  ASSERT_LT(below, catalogue->topLevelItemCount());
  QTest::keyClick(catalogue, Qt::Key_Down);
  const std::string chosen = catalogue->topLevelItem(below)->text(0).toStdString();
  EXPECT_EQ(program.main_form.crystal.hermann_mauguin, chosen);
  EXPECT_FALSE(program.main_form.crystal.hall.empty());  // the catalogue's route
  QTest::keyClick(catalogue, Qt::Key_Return);  // the window's OK
  ASSERT_TRUE(ui.warnings.empty()) << ui.last_warning();
  EXPECT_EQ(ui.window_changes.back(), std::make_pair(WindowId::SpaceGroup, false));
  EXPECT_EQ(program.workspace.crystal.symbol, chosen);
}

TEST_F(KeyboardLists, ArrowKeysInTheAnodeListFillItsLinesAndTheFocusAloneDoesNot) {
  WavelengthDialog dialog(program, [](const FollowUp&) {});
  ASSERT_TRUE(show_active(&dialog));
  dialog.wavelength_edit(3)->setText("2.0");
  QListWidget* anodes = dialog.anodes();
  anodes->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(dialog.wavelength_edit(0)->text(), "");
  EXPECT_EQ(program.wavelength_form.anode_index, -1);

  QTest::keyClick(anodes, Qt::Key_Down);
  ASSERT_EQ(anodes->currentRow(), 1);
  // The Cu K lines: Kα1, Kα2 and Kβ with intensities 100, 50 and 10.
  EXPECT_EQ(dialog.wavelength_edit(0)->text(), "1.54056");
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
  ASSERT_TRUE(show_active(&window));
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
