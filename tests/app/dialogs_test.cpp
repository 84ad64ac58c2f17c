// Wiring of the dialogs: a click or an edit reaches the handler and the
// presentation model, and a change of the model reaches the widgets.
#include <gtest/gtest.h>

#include <functional>

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

#include "app/about_box.hpp"
#include "app/anomalous_panel_widget.hpp"
#include "app/app_helpers.hpp"
#include "app/cif_block_window.hpp"
#include "app/help_viewer.hpp"
#include "app/lambda_missing_window.hpp"
#include "app/polarisation_dialog.hpp"
#include "app/qt_ui.hpp"
#include "app/space_group_window.hpp"
#include "app/text_viewer.hpp"
#include "app/wavelength_dialog.hpp"
#include "app/windows.hpp"
#include "support/phase_setup.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

using testing::click;
using testing::type_into;

struct Dialogs : ::testing::Test, testing::ProgramInFolder {
  std::vector<FollowUp> follow_ups;
  std::function<void(const FollowUp&)> record = [this](const FollowUp& f) { follow_ups.push_back(f); };
  void SetUp() override {
    testing::application();
    folder.add_data_files();
  }
  std::pair<WindowId, bool> last_window_change() const { return ui.window_changes.back(); }
  double iron_f_second() const { return program.workspace.crystal.scattering_types.at(0).f_second[0]; }
};

TEST_F(Dialogs, PolarisationDialogShowsThePBoxForASynchrotronAndReadsIt) {
  PolarisationDialog dialog(program, record);
  ASSERT_TRUE(testing::show_active(&dialog));
  click(dialog.synchrotron_button());
  ASSERT_TRUE(dialog.p_panel()->isVisible());
  type_into(dialog.p_edit(), "0.35");
  click(dialog.ok_button());
  EXPECT_EQ(std::tuple(program.workspace.settings.polarisation, follow_ups.size()),
            std::tuple(0.35, std::size_t{1}));
}

// The anode list answers the keyboard as the mouse: the focus alone chooses nothing.
TEST_F(Dialogs, WavelengthDialogFillsAnAnodeAndOkSetsTheSpectrum) {
  WavelengthDialog dialog(program, record);
  ASSERT_TRUE(testing::show_active(&dialog));
  dialog.anodes()->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(dialog.wavelength_edit(0)->text(), "");
  QTest::keyClick(dialog.anodes(), Qt::Key_Down);  // CuK
  EXPECT_EQ(dialog.wavelength_edit(0)->text(), "1.54056");
  click(dialog.ok_button());
  EXPECT_EQ(program.workspace.settings.wavelengths.size(), 3u) << ui.last_warning();
  EXPECT_TRUE(!follow_ups.empty() && follow_ups.back().refresh_anomalous_table);
  dialog.show();
  click(dialog.harmonics_button());
  EXPECT_EQ(dialog.wavelength_edit(1)->text(), " 0.77028");  // λ/2
}

TEST_F(Dialogs, AnomalousPanelButtonsReachTheTableChoice) {
  AnomalousPanel panel(program, record);
  testing::add_one_atom_phase(program);
  program.main_form.experiment.wavelength = "1.5406";
  panel.open_anomalous_panel();
  EXPECT_FALSE(panel.isHidden());
  click(panel.table_button(1));  // "Sasaki"
  click(panel.apply_button());
  EXPECT_EQ(std::tuple(panel.isHidden(), iron_f_second() > 1.0),
            std::tuple(true, true));  // Fe at Cu Kα: above its K edge
  panel.form().visible = true;
  panel.refresh_from_model();
  click(panel.suppress_button());
  EXPECT_EQ(std::tuple(iron_f_second(), panel.isHidden()), std::tuple(0.0, true));
}

// Runs `show` (a Ui call that opens a modal message box) and closes the box
// it opened; returns the box's sign and buttons.
std::pair<QMessageBox::Icon, QMessageBox::StandardButtons> message_box_of(const std::function<void()>& show) {
  std::pair<QMessageBox::Icon, QMessageBox::StandardButtons> seen{QMessageBox::NoIcon, {}};
  QTimer::singleShot(0, [&seen] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    seen = {box->icon(), box->standardButtons()};
    box->done(QMessageBox::Cancel);
  });
  show();
  return seen;
}

TEST_F(Dialogs, MissingHelpFileAndUnreadableListingAreReported) {
  testing::TempFolder empty;
  Program bare(ui, empty.path());
  QWidget main_window;
  Windows windows(bare, &main_window);
  windows.open_help(14);
  EXPECT_EQ(std::tuple(ui.last_warning(), windows.help()->isVisible()),
            std::tuple(std::string("File calvane.hlp not found"), false));
  windows.show_text_file((empty / "phase1.out").string());
  EXPECT_EQ(std::tuple(ui.last_warning(), windows.text_viewer()->isVisible()),
            std::tuple("Cannot read the file " + (empty / "phase1.out").string(), false));
}

TEST_F(Dialogs, TextViewerShowsAListingReadOnlyInFixedPitchAndPrintsIt) {
  QWidget main_window;
  Windows windows(program, &main_window);
  windows.show_text_file(folder.write("phase1.out", "   h   k   l   dhkl   2Theta\n   1   1   1 3.2567  27.366\n").string());
  TextViewer* viewer = windows.text_viewer();
  ASSERT_TRUE(viewer->isVisible()) << ui.last_warning();
  EXPECT_TRUE(QFontInfo(viewer->page()->font()).fixedPitch());
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString((folder / "listing.pdf").string()));
  viewer->print_on(printer);
  EXPECT_GT(std::filesystem::file_size(folder / "listing.pdf"), 500u);
}

TEST_F(Dialogs, SpaceGroupWindowClicksAndSearchSetTheGroup) {
  program.workspace.crystal.system_code = "CUBI";
  program.workspace.crystal.symbol = "F m -3 m";
  SpaceGroupWindow window(program);
  ASSERT_TRUE(testing::show_active(&window));  // activation lists the system's groups
  ASSERT_TRUE(ui.warnings.empty()) << ui.last_warning();
  const CrystalPageForm& page = program.main_form.crystal;
  window.standard_symbols()->setFocus(Qt::TabFocusReason);  // the focus alone chooses nothing
  EXPECT_EQ(program.workspace.crystal.symbol, "F m -3 m");
  QTest::keyClick(window.standard_symbols(), Qt::Key_Down);
  EXPECT_EQ(page.hermann_mauguin, window.standard_symbols()->item(1)->text().toStdString());

  QTreeWidget* catalogue = window.catalogue();
  QTreeWidgetItem* first = catalogue->topLevelItem(0);
  catalogue->scrollToItem(first);
  QTest::mouseClick(catalogue->viewport(), Qt::LeftButton, {}, catalogue->visualItemRect(first).center());
  // P 2 3 (International Tables A, No. 195): 12 positions.
  EXPECT_EQ(std::tuple(page.hall, window.positions()->rowCount()), std::tuple(std::string("P 2 2 3"), 12));
  testing::type_into(window.search(), "fm3m");  // the search field chooses a group and shows its full symbol
  EXPECT_EQ(std::pair(page.hall, window.chosen_group()->text().isEmpty()), std::pair(std::string("-F 4 2 3"), false));
  QTest::keyClick(catalogue, Qt::Key_Return);  // the window's OK
  EXPECT_EQ(last_window_change(), std::pair(WindowId::SpaceGroup, false));
}

TEST_F(Dialogs, CifBlockChooserListsTheBlocksAndOkTakesTheClickedOne) {
  program.workspace.cif_blocks.blocks = {{"quartz", 0}, {"cristobalite", 2}};
  CifBlockWindow window(program);
  window.show();  // activation fills the list
  ASSERT_EQ(window.blocks()->count(), 2);
  testing::click_row(window.blocks(), 1);
  click(window.ok_button());  // the chosen block is 1-based
  EXPECT_EQ(std::tuple(program.workspace.cif_blocks.chosen_block, last_window_change()),
            std::tuple(2, std::pair(WindowId::CifBlocks, false)));
}

TEST_F(Dialogs, LambdaMissingWindowReadsTheTypedWavelength) {
  // A Rietveld file whose first line is empty carries no wavelength.
  const auto file = folder.write("nolambda.dat", "\nline 2\nline 3\nline 4\n10 0.05 10.15\n5 10 15 20\n");
  open_lambda_missing(program.lambda_missing, file.string());
  std::vector<ObservedLoad> loads;
  LambdaMissingWindow window(program, [&](const ObservedLoad& load) { loads.push_back(load); });
  window.refresh_from_model();
  window.show();
  testing::click_row(window.anodes(), 1);
  EXPECT_EQ(window.lambda1_edit()->text(), " 1.54056");
  type_into(window.lambda_edit(), "1.5406");
  click(window.ok_button());
  ASSERT_EQ(program.workspace.observed_patterns.size(), 1u);
  EXPECT_EQ(std::tuple(program.workspace.observed_patterns[0].wavelength, loads.size()),
            std::tuple(1.5406, std::size_t{1}));
}

}  // namespace
}  // namespace calvane
