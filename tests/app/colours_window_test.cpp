// Wiring of the colours window: a click on a colour box or an edit reaches
// the model, Apply reaches the workspace and the plot, Save writes the file
// that the next window reads, and the window shows where the page asks.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include "app/app_helpers.hpp"
#include "app/colours_window.hpp"
#include "app/windows.hpp"
#include "plot/colours.hpp"
#include "support/started_program.hpp"

namespace calvane {
namespace {

constexpr Rgb kOrange{250, 140, 10};
constexpr Rgb kTeal{0, 120, 120};
constexpr Rgb kFirstPhaseColour{255, 124, 162};

void click(QWidget* box) { QTest::mouseClick(box, Qt::LeftButton); }

// Rock salt opened as phase 1 of a started program.
struct ColoursWindowTest : ::testing::Test, testing::StartedProgram {
  std::vector<Rgb> offered;  // the colour each dialog opened with
  std::deque<std::optional<Rgb>> answers;

  void SetUp() override {
    testing::application();
    open_example("nacl.cry");
  }
  // A shown window whose colour dialog offers the prepared answers in turn.
  void script(ColoursWindow& window) {
    window.choose_colour = [this](Rgb current, const QString&) -> std::optional<Rgb> {
      offered.push_back(current);
      if (answers.empty()) return std::nullopt;
      const auto answer = answers.front();
      answers.pop_front();
      return answer;
    };
    window.show();
  }
};

TEST_F(ColoursWindowTest, ColoursPensAndStylesChosenByMouseOrKeysReachTheWorkspaceAndTheFile) {
  ColoursWindow window(program);
  script(window);
  answers = {kOrange, std::nullopt, kTeal};
  click(window.phase_row(0).colour);
  click(window.sum_row().colour);  // cancelled: the sum keeps black
  click(window.background_box());
  EXPECT_EQ(offered, (std::vector<Rgb>{kFirstPhaseColour, Rgb{}, Rgb{224, 236, 255}}));  // the box's colour
  testing::type_into(window.phase_row(0).pen, "3");
  window.phase_row(0).style->setCurrentIndex(2);  // "Dotted"
  const int redraws_before = ui.redraws;
  click(window.apply_button());
  const PhaseData& phase = program.workspace.phase(1);
  EXPECT_EQ(std::tuple(phase.colour, phase.pen_width, phase.pen_style), std::tuple(kOrange, 3, 2));
  EXPECT_GT(ui.redraws, redraws_before);
  click(window.save_button());
  EXPECT_TRUE(std::filesystem::exists(folder / "couleurs.txt"));

  // By keys: Space opens the colour dialog; Enter on a colour box is "Apply", the window's default
  // button, not a new colour dialog; Escape is "Cancel".
  ASSERT_TRUE(testing::show_active(&window));
  answers = {kTeal};
  window.sum_row().colour->setFocus();
  QTest::keyClick(window.sum_row().colour, Qt::Key_Space);
  QTest::keyClick(window.sum_row().colour, Qt::Key_Return);
  EXPECT_EQ(std::tuple(offered.size(), program.workspace.styles.sum_colour), std::tuple(std::size_t{4}, kTeal));
  program.main_form.page = MainPage::StyleOptions;
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_EQ(std::tuple(window.isVisible(), program.main_form.page), std::tuple(false, MainPage::PhasesData));
}

TEST_F(ColoursWindowTest, ShowingFillsTheBoxesFromTheWorkspaceAtTheStylePagePlace) {
  QWidget main_window;
  Windows windows(program, &main_window);  // creates the window: the styles start from their defaults
  program.workspace.styles.pattern_styles[0] = kPatternPoints;
  ObservedPattern& pattern = program.workspace.observed_patterns.emplace_back();
  pattern.file_name = "quartz.raw";
  pattern.draw = false;
  ColoursWindow* window = windows.colours();
  ASSERT_TRUE(windows.show(WindowId::Colours, true));
  EXPECT_EQ(std::tuple(window->pos(), window->pattern_row(0).style->currentText(),
                       window->pattern_row(0).draw->isChecked()),
            std::tuple(QPoint(2, 110), QString("Points"), false));
}

}  // namespace
}  // namespace calvane
