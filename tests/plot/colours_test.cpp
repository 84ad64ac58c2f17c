// Colour numbers, the colours file and the colours window.
#include "plot/colours.hpp"

#include <gtest/gtest.h>

#include "support/started_program.hpp"
#include "flows/colours_window.hpp"
#include "util/files.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {

std::string fixture(const char* name) {
  return *read_file_bytes(testing::source_folder("tests/plot/fixtures") / name);
}

struct ColoursWindow : testing::ProgramInFolder {
  Workspace& workspace = program.workspace;
  ColoursForm form;
};

struct ColoursTest : ::testing::Test, ColoursWindow {
  void SetUp() override { create_colours_form(form, program); }
};

TEST_F(ColoursTest, DefaultsWithoutAFileAndSavedBeforeApplyMatchTheGoldenFile) {
  // Golden numbers hand computed: red + 256 green + 65536 blue, each in a field of 10.
  EXPECT_TRUE(ui.warnings.empty());
  form.background = Rgb{1, 2, 3};  // not applied: the file keeps the colours in force
  save_colour_choice(program);
  EXPECT_EQ(std::tuple(ui.informations, ui.warnings.size(), *read_file_bytes(folder / "couleurs.txt")),
            std::tuple(std::vector<std::string>{"The Selection has been saved"}, 0u,
                       fixture("couleurs_default.txt")));
  PhaseData phase;  // a new phase takes the first phase colour of the file
  apply_phase_display_defaults(workspace.styles, phase, 1);
  EXPECT_EQ(phase.colour, (Rgb{255, 124, 162}));
}

TEST_F(ColoursTest, SavingAndRestartingRestoresTheAppliedColoursButNoPens) {
  workspace.phases.resize(1);
  workspace.observed_patterns.resize(1);
  workspace.observed_peaks.resize(1);
  fill_colours_form(form, workspace);
  const std::vector<Rgb> colours = {{1, 101, 2}, {2, 102, 4}, {3, 103, 6}, {4, 104, 8}, {5, 105, 10}, {6, 106, 12}};
  std::tie(form.background, form.text, form.sum.colour, form.phases[0].colour, form.patterns[0].colour,
           form.peaks[0].colour) = std::tuple(colours[0], colours[1], colours[2], colours[3], colours[4], colours[5]);
  form.phases[0].pen_width = "4";
  form.sum.style_index = 2;
  ASSERT_TRUE(apply_colours(form, program));
  save_colour_choice(program);

  folder.add_data_files();
  testing::ScriptedUi restarted_ui;
  Program restarted{restarted_ui, folder.path()};
  ASSERT_TRUE(initialise_program(restarted));
  ColoursForm restarted_form;
  create_colours_form(restarted_form, restarted);  // the colours window is made at start and reads the file
  const DisplayStyles& read = restarted.workspace.styles;
  EXPECT_EQ((std::vector<Rgb>{read.background, read.text, read.sum_colour, read.phase_colours[0],
                              read.pattern_colours[0], read.peak_colours[0]}),
            colours);
  // The phase table's sum box too; the pens are not saved.
  EXPECT_EQ(std::tuple(restarted.main_form.phases.sum_colour, read.phase_pen_widths[0], read.sum_pen_style),
            std::tuple(colours[2], 1, 0));
  // A crystal opened then takes its slot's saved colour.
  restarted_ui.choose_file(testing::source_folder("examples/nacl.cry").string());
  open_crystal_file_of_kind(restarted, CrystalFileKind::Native);
  ASSERT_EQ(restarted.workspace.phase_count(), 1) << restarted_ui.last_warning();
  EXPECT_EQ(restarted.workspace.phase(1).colour, colours[3]);
}

TEST(Colours, FaultyFilesLeaveTheDefaults) {
  const std::pair<const char*, const char*> cases[] = {
      {"16772320\n0\n0\n", "line 4: the file ends too early"},
      {"16772320\n0\n0\n1 2 3\n", "line 4: expected 8"},
      {"16772320\nblack\n0\n", "line 2: expected 1"},
      {"99999999\n0\n0\n", "line 1: expected 1"}};
  for (const auto& [content, message] : cases) {
    ColoursWindow window;
    window.folder.write("Couleurs.TXT", content);
    create_colours_form(window.form, window.program);
    ASSERT_EQ(window.ui.warnings.size(), 1u) << content;
    EXPECT_EQ(std::tuple(window.ui.warnings[0].find(message) != std::string::npos,
                         window.workspace.styles.background),
              std::tuple(true, Rgb{224, 236, 255}))
        << window.ui.warnings[0];
  }
}

TEST_F(ColoursTest, ApplyCopiesTheBoxesIntoTheWorkspaceUnlessAPenWidthIsBad) {
  workspace.phases.resize(2);
  workspace.phases[0].file_name = "/a/quartz.cry";
  workspace.observed_patterns.resize(1);
  workspace.observed_patterns[0].file_name = "obs.raw";
  fill_colours_form(form, workspace);
  EXPECT_EQ(form.phases[0].name + "|" + form.patterns[0].name, "quartz.cry|obs.raw");
  form.sum.colour = Rgb{7, 7, 7};
  form.phases[1].pen_width = "2.5";
  EXPECT_FALSE(apply_colours(form, program));
  EXPECT_EQ(std::tuple(ui.last_warning().find("phase 2") != std::string::npos, workspace.styles.sum_colour),
            std::tuple(true, Rgb{0, 0, 0}));
  form.phases[1].pen_width = "1";
  form.phases[1].colour = Rgb{9, 9, 9};
  form.phases[1].style_index = 1;
  form.patterns[0].style_index = 1;  // "Points"
  form.patterns[0].draw = false;
  ASSERT_TRUE(apply_colours(form, program));
  EXPECT_EQ(std::tuple(workspace.phases[1].colour, workspace.phases[1].pen_style,
                       workspace.styles.pattern_styles[0], workspace.observed_patterns[0].draw,
                       program.main_form.phases.sum_colour),
            std::tuple(Rgb{9, 9, 9}, 1, 2, false, Rgb{7, 7, 7}));
}

}  // namespace
}  // namespace calvane
