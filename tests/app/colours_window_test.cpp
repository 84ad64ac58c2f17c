// Wiring of the colours window: a click on a colour box or an edit reaches
// the model, Apply reaches the workspace and the plot, Save writes the file
// that the next window reads, and the window shows where the page asks.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/colours_window.hpp"
#include "app/qt_application.hpp"
#include "app/windows.hpp"
#include "crystal_io/open_flow.hpp"
#include "plot/colours.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "util/files.hpp"
#include "workspace/program.hpp"
#include "workspace/startup.hpp"

namespace calvane {
namespace {

using testing::application;
using testing::ScriptedUi;
using testing::TempFolder;

constexpr Rgb kOrange{250, 140, 10};
constexpr Rgb kTeal{0, 120, 120};

void type_into(QLineEdit* edit, const char* text) {
  edit->clear();
  QTest::keyClicks(edit, text);
}

// A started program with the shipped data files and rock salt loaded as phase 1.
struct ColoursWindowTest : ::testing::Test {
  TempFolder folder;
  ScriptedUi ui;
  std::unique_ptr<Program> program;
  std::vector<Rgb> offered;  // the colour each dialog opened with
  std::deque<std::optional<Rgb>> answers;

  void SetUp() override {
    application();
    folder.add_data_files();
    program = start_program();
  }

  std::unique_ptr<Program> start_program() {
    auto started = std::make_unique<Program>(ui, folder.path());
    EXPECT_TRUE(init_creation(*started));
    return started;
  }

  void load_rock_salt() {
    ui.choose_file((testing::source_folder("examples") / "nacl.cry").string());
    lit_fichier_cry(*program, CrystalFileKind::Native);
    ASSERT_EQ(program->workspace.phase_count(), 1) << ui.last_warning();
  }

  void script(Tfcouleurs& window) {
    window.choose_colour = [this](Rgb current, const QString&) -> std::optional<Rgb> {
      offered.push_back(current);
      if (answers.empty()) return std::nullopt;
      const auto answer = answers.front();
      answers.pop_front();
      return answer;
    };
  }
};

TEST_F(ColoursWindowTest, ChosenColoursPensAndStylesReachTheWorkspaceAndThePlotOnApply) {
  load_rock_salt();
  Tfcouleurs window(*program);
  script(window);
  window.show();
  EXPECT_EQ(window.phase_row(0).name->toolTip(), "nacl.cry");

  answers = {kOrange, std::nullopt, kTeal};
  QTest::mouseClick(window.phase_row(0).colour, Qt::LeftButton);
  QTest::mouseClick(window.sum_row().colour, Qt::LeftButton);  // cancelled: the sum keeps black
  QTest::mouseClick(window.background_box(), Qt::LeftButton);
  ASSERT_EQ(offered.size(), 3u);
  EXPECT_EQ(offered[0], (Rgb{255, 124, 162}));  // the dialog opens on the box's colour
  EXPECT_EQ(offered[2], (Rgb{224, 236, 255}));
  EXPECT_EQ(window.form().phases[0].colour, kOrange);
  EXPECT_EQ(window.form().sum.colour, Rgb{});
  EXPECT_EQ(window.phase_row(0).colour->toolTip(), "(250, 140, 10)");
  EXPECT_EQ(program->workspace.phase(1).colour, (Rgb{255, 124, 162}));  // nothing applied yet

  type_into(window.phase_row(0).pen, "3");
  window.phase_row(0).style->setCurrentIndex(2);  // "Dotted"
  const int redraws_before = ui.redraws;
  QTest::mouseClick(window.apply_button(), Qt::LeftButton);
  EXPECT_TRUE(ui.warnings.empty()) << ui.last_warning();
  const PhaseData& phase = program->workspace.phase(1);
  EXPECT_EQ(phase.colour, kOrange);
  EXPECT_EQ(phase.pen_width, 3);
  EXPECT_EQ(phase.pen_style, 2);
  EXPECT_EQ(program->workspace.styles.background, kTeal);
  EXPECT_EQ(program->main_form.phases.rows[0].colour, kOrange);  // the phases page's colour box
  EXPECT_GT(ui.redraws, redraws_before);
  EXPECT_GT(ui.refreshes, 0);
}

TEST_F(ColoursWindowTest, KeysOpenTheColourDialogApplyAndCancel) {
  load_rock_salt();
  Tfcouleurs window(*program);
  script(window);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  answers = {kTeal};
  window.sum_row().colour->setFocus();
  QTest::keyClick(window.sum_row().colour, Qt::Key_Space);
  EXPECT_EQ(window.form().sum.colour, kTeal);
  // Enter on a colour box is "Apply", the window's default button, not a new colour dialog.
  QTest::keyClick(window.sum_row().colour, Qt::Key_Return);
  EXPECT_EQ(offered.size(), 1u);
  EXPECT_EQ(program->workspace.styles.sum_colour, kTeal);

  program->main_form.page = MainPage::StyleOptions;
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(program->main_form.page, MainPage::PhasesData);
  EXPECT_EQ(ui.window_changes.back(), std::make_pair(WindowId::Colours, false));
}

TEST_F(ColoursWindowTest, AWrongPenWidthIsNamedAndNothingIsApplied) {
  load_rock_salt();
  Tfcouleurs window(*program);
  script(window);
  window.show();
  answers = {kOrange};
  QTest::mouseClick(window.phase_row(0).colour, Qt::LeftButton);
  type_into(window.sum_row().pen, "2x");
  const int redraws_before = ui.redraws;
  QTest::mouseClick(window.apply_button(), Qt::LeftButton);
  EXPECT_EQ(ui.last_warning(), "The pen width of the sum must be a whole number from 1 to 99.");
  EXPECT_EQ(program->workspace.phase(1).colour, (Rgb{255, 124, 162}));
  EXPECT_EQ(ui.redraws, redraws_before);
  EXPECT_EQ(window.sum_row().pen->text(), "2x");  // the box keeps what was typed
}

TEST_F(ColoursWindowTest, SaveWritesTheAppliedColoursAndTheNextWindowReadsThemBack) {
  load_rock_salt();
  {
    Tfcouleurs window(*program);
    script(window);
    window.show();
    answers = {kOrange, kTeal};
    QTest::mouseClick(window.phase_row(0).colour, Qt::LeftButton);
    QTest::mouseClick(window.peak_row(2).colour, Qt::LeftButton);
    QTest::mouseClick(window.apply_button(), Qt::LeftButton);
    // The peak list row holds no loaded list: Apply leaves its slot alone.
    EXPECT_EQ(program->workspace.styles.peak_colours[2], (Rgb{0, 255, 0}));
    QTest::mouseClick(window.save_button(), Qt::LeftButton);
    EXPECT_EQ(ui.last_warning(), "The Selection has been saved");
  }
  const auto lines = read_text_lines(folder / "couleurs.txt");
  ASSERT_TRUE(lines.has_value());
  ASSERT_EQ(lines->size(), 6u);
  EXPECT_EQ((*lines)[0], "16772320");  // (224, 236, 255) as red + 256 green + 65536 blue
  EXPECT_EQ((*lines)[3].substr(0, 10), "    691450");  // 250 + 140*256 + 10*65536

  auto restarted = start_program();
  Tfcouleurs next(*restarted);
  next.show();
  EXPECT_EQ(restarted->workspace.styles.phase_colours[0], kOrange);
  EXPECT_EQ(next.form().phases[0].colour, kOrange);
  EXPECT_EQ(next.phase_row(0).colour->toolTip(), "(250, 140, 10)");
  EXPECT_EQ(next.phase_row(0).pen->text(), "1");  // pen widths are not saved

  // A crystal opened after the restart is drawn in the saved colour of its slot.
  program = std::move(restarted);
  load_rock_salt();
  EXPECT_EQ(program->workspace.phase(1).colour, kOrange);
}

TEST_F(ColoursWindowTest, ShowingFillsTheBoxesFromTheWorkspaceAtTheStylePagePlace) {
  load_rock_salt();
  QWidget main_window;
  Windows windows(*program, &main_window);  // creates the window: the styles start from their defaults
  program->workspace.styles.pattern_styles[0] = kPatternPoints;
  ObservedPattern pattern;
  pattern.file_name = "quartz.raw";
  pattern.draw = false;
  program->workspace.observed_patterns.push_back(pattern);
  Tfcouleurs* window = windows.colours();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(window->isVisible());
  ASSERT_TRUE(windows.show(WindowId::Colours, true));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->pos(), QPoint(2, 110));
  EXPECT_EQ(window->pattern_row(0).name->toolTip(), "quartz.raw");
  EXPECT_EQ(window->pattern_row(0).style->currentText(), "Points");
  EXPECT_FALSE(window->pattern_row(0).draw->isChecked());
  EXPECT_EQ(window->pattern_row(1).style->currentText(), "Lines&Points");  // no pattern: the box's start
  EXPECT_EQ(window->phase_row(1).name->toolTip(), "");

  program->main_form.page = MainPage::StyleOptions;
  QTest::mouseClick(window->cancel_button(), Qt::LeftButton);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(program->main_form.page, MainPage::PhasesData);
}

}  // namespace
}  // namespace calvane
