#include "profile/spectrum.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "support/scripted_ui.hpp"
#include "workspace/workspace.hpp"

namespace calvane {
namespace {

struct Windows {
  Workspace workspace;
  MainForm form;
  WavelengthForm dialog;
  testing::ScriptedUi ui;
  SpectrumView view() { return {workspace, form, dialog, ui}; }
  const ExperimentSettings& settings() const { return workspace.settings; }
};

PhaseData phase_with_anomalous_terms() {
  PhaseData phase;
  AnomalousTerms terms;
  terms.element = "Fe";
  terms.f_prime = {-1.1, -1.2, -1.3, -1.4};
  terms.f_second = {3.2, 3.3, 3.4, 3.5};
  phase.composition.anomalous.push_back(terms);
  ScatteringType type;
  type.f_prime = {-1.1, 0, 0, 0};
  type.f_second = {3.2, 0, 0, 0};
  phase.crystal.scattering_types.push_back(type);
  return phase;
}

bool all_anomalous_terms_zero(const PhaseComposition& composition, const CurrentCrystal& crystal) {
  for (const auto& terms : composition.anomalous)
    for (int i = 0; i < 4; ++i)
      if (terms.f_prime[static_cast<std::size_t>(i)] != 0 || terms.f_second[static_cast<std::size_t>(i)] != 0) return false;
  for (const auto& type : crystal.scattering_types)
    for (int i = 0; i < 4; ++i)
      if (type.f_prime[static_cast<std::size_t>(i)] != 0 || type.f_second[static_cast<std::size_t>(i)] != 0) return false;
  return true;
}

TEST(LineList, EveryLineSetsAOneLineSpectrum) {
  // The line list of the main window with the wavelengths it sets (Å).
  struct Case { int index; const char* field; double wavelength; const char* code; };
  const Case cases[] = {
      {1, " 0.70930", 0.7093, "Mo"},   {2, " 0.71359", 0.71359, "Mo"},  {3, " 0.71070", 0.7107, "Mo"},
      {4, " 0.63229", 0.63229, "Mo"},  {5, " 1.54056", 1.54056, "Cu"},  {6, " 1.54439", 1.54439, "Cu"},
      {7, " 1.54180", 1.5418, "Cu"},   {8, " 1.39222", 1.39222, "Cu"},  {9, " 1.78897", 1.78897, "Co"},
      {10, " 1.79285", 1.79285, "Co"}, {11, " 1.79020", 1.7902, "Co"},  {12, " 1.62079", 1.62079, "Co"},
      {13, " 1.93604", 1.93604, "Fe"}, {14, " 1.93339", 1.93339, "Fe"}, {15, " 1.93730", 1.9373, "Fe"},
      {16, " 1.75661", 1.75661, "Fe"}, {17, " 2.28970", 2.2897, "Cr"},  {18, " 2.29361", 2.29361, "Cr"},
      {19, " 2.29090", 2.2909, "Cr"},  {20, " 2.08487", 2.08487, "Cr"},
  };
  for (const Case& c : cases) {
    Windows w;
    w.workspace.settings.wavelengths = {1.0, 2.0};
    w.workspace.settings.fractions = {0.5, 0.5};
    w.form.experiment.spectrum_visible = true;
    set_lambda(w.view(), c.index);
    EXPECT_EQ(w.form.experiment.wavelength, c.field) << c.index;
    EXPECT_EQ(w.settings().wavelengths, std::vector<double>{c.wavelength}) << c.index;
    EXPECT_EQ(w.settings().fractions, std::vector<double>{1.0}) << c.index;
    EXPECT_EQ(w.settings().single_wavelength, c.wavelength);
    EXPECT_EQ(w.settings().shortest_wavelength, c.wavelength);
    EXPECT_EQ(w.settings().longest_wavelength, c.wavelength);
    EXPECT_EQ(w.settings().anode_code, c.code) << c.index;
    EXPECT_FALSE(w.form.experiment.spectrum_visible);
    EXPECT_FALSE(w.form.experiment.default_wavelength_notice_visible);
  }
}

TEST(LineList, ChoosingALineZeroesAnomalousTermsAndSetsQWithoutWavelength) {
  Windows w;
  w.workspace.phases = {phase_with_anomalous_terms(), phase_with_anomalous_terms()};
  w.workspace.current_phase = 1;
  load_current_phase(w.workspace);
  w.form.results = {"old line"};
  const FollowUp follow_up = set_lambda(w.view(), 5);
  for (const PhaseData& phase : w.workspace.phases)
    EXPECT_TRUE(all_anomalous_terms_zero(phase.composition, phase.crystal));
  EXPECT_TRUE(all_anomalous_terms_zero(w.workspace.composition, w.workspace.crystal));
  EXPECT_TRUE(w.form.results.empty());
  EXPECT_TRUE(follow_up.commit_crystal_page);
  EXPECT_TRUE(follow_up.refresh_anomalous_table);
  // 4π·sin(10 × 0.0087266583705) and 4π·sin(50 × 0.0087266583705), by hand.
  EXPECT_NEAR(w.settings().q_low, 1.0952329, 1e-6);
  EXPECT_NEAR(w.settings().q_high, 5.3107846, 1e-6);
}

TEST(LineList, MultipleItemOpensTheDialogWithAnEmptySpectrum) {
  Windows w;
  const FollowUp follow_up = set_lambda(w.view(), 0);
  EXPECT_TRUE(w.settings().wavelengths.empty());
  EXPECT_EQ(w.settings().single_wavelength, 0.0);
  EXPECT_TRUE(w.dialog.visible);
  ASSERT_FALSE(w.ui.window_changes.empty());
  EXPECT_EQ(w.ui.window_changes.back(), std::make_pair(WindowId::MultipleWavelength, true));
  EXPECT_FALSE(follow_up.commit_crystal_page);
  EXPECT_EQ(w.form.experiment.wavelength, "1.5406");  // the field is left as it was
}

TEST(WavelengthDialog, EveryAnodeFillsThreeRowsAndKeepsTheFourth) {
  const char* expected[5][4] = {{"Mo", "0.70930", "0.71359", "0.63229"},
                                {"Cu", "1.54056", "1.54439", "1.39222"},
                                {"Co", "1.78897", "1.79285", "1.62079"},
                                {"Fe", "1.93604", "1.93339", "1.75661"},
                                {"Cr", "2.28970", "2.29361", "2.08487"}};
  for (int anode = 0; anode < 5; ++anode) {
    Windows w;
    w.dialog.wavelength[3] = "0.5";
    w.dialog.intensity[3] = "7";
    set_lambda(w.workspace.settings, w.dialog, anode);
    EXPECT_EQ(w.settings().anode_code, expected[anode][0]);
    for (std::size_t row = 0; row < 3; ++row) EXPECT_EQ(w.dialog.wavelength[row], expected[anode][row + 1]);
    EXPECT_EQ(w.dialog.intensity[0], "100");
    EXPECT_EQ(w.dialog.intensity[1], "50");
    EXPECT_EQ(w.dialog.intensity[2], "10");
    EXPECT_EQ(w.dialog.wavelength[3], "0.5");
    EXPECT_EQ(w.dialog.intensity[3], "7");
  }
}

TEST(WavelengthDialog, CopperAnodeGivesThreeSortedLinesWithSharesOfOneHundredSixty) {
  Windows w;
  set_lambda(w.view(), 0);
  set_lambda(w.workspace.settings, w.dialog, 1);
  lit_composition(w.view());
  EXPECT_TRUE(w.ui.warnings.empty());
  EXPECT_EQ(w.settings().wavelengths, (std::vector<double>{1.39222, 1.54056, 1.54439}));
  ASSERT_EQ(w.settings().fractions.size(), 3u);
  EXPECT_DOUBLE_EQ(w.settings().fractions[0], 10.0 / 160);
  EXPECT_DOUBLE_EQ(w.settings().fractions[1], 100.0 / 160);
  EXPECT_DOUBLE_EQ(w.settings().fractions[2], 50.0 / 160);
  EXPECT_EQ(w.settings().shortest_wavelength, 1.39222);
  EXPECT_EQ(w.settings().longest_wavelength, 1.54439);
  EXPECT_EQ(w.form.experiment.wavelength, "Multiple");
  EXPECT_TRUE(w.form.experiment.spectrum_visible);
  const TextGrid& grid = w.form.experiment.spectrum;
  EXPECT_EQ(grid.cell(0, 0), "Lambda");
  EXPECT_EQ(grid.cell(1, 0), " 1.39222");
  EXPECT_EQ(grid.cell(2, 0), " 1.54056");
  EXPECT_EQ(grid.cell(3, 0), " 1.54439");
  EXPECT_EQ(grid.cell(1, 1), "10.0");
  EXPECT_EQ(grid.cell(2, 1), "100.0");
  EXPECT_EQ(grid.cell(3, 1), "50.0");
  EXPECT_EQ(w.dialog.intensity[0], "  1.00");
  EXPECT_EQ(w.dialog.intensity[1], "  0.50");
  EXPECT_EQ(w.dialog.intensity[2], "  0.10");
  EXPECT_FALSE(w.dialog.visible);
  // The dialog's Q range divides by the longest and shortest wavelengths.
  EXPECT_NEAR(w.settings().q_low, 4 * M_PI * std::sin(10 * 0.0087266431) / 1.54439, 1e-12);
  EXPECT_NEAR(w.settings().q_high, 4 * M_PI * std::sin(50 * 0.0087266431) / 1.39222, 1e-12);
}

TEST(WavelengthDialog, RefusalsNameTheBoxAndKeepTheSpectrum) {
  struct Case {
    std::array<const char*, 4> wavelengths, intensities;
    const char* message;
    WavelengthBox focus;
  };
  const Case cases[] = {
      {{"1.5", "x", "", ""}, {"100", "50", "", ""}, "Type error", {1, false}},
      {{"1.5", "1.6", "", ""}, {"100", "", "", ""}, "No percent on wavelength #2", {1, true}},
      {{"", "", "", "0.7"}, {"", "", "", "abc"}, "Type error", {3, true}},
      {{"1.5", "", "", ""}, {"-5", "", "", ""}, "Type error", {0, true}},
      {{"-1.5", "", "", ""}, {"100", "", "", ""}, "Type error", {0, false}},
  };
  for (const Case& c : cases) {
    Windows w;
    for (std::size_t row = 0; row < 4; ++row) {
      w.dialog.wavelength[row] = c.wavelengths[row];
      w.dialog.intensity[row] = c.intensities[row];
    }
    w.dialog.visible = true;
    lit_composition(w.view());
    EXPECT_EQ(w.ui.last_warning(), c.message) << c.message;
    ASSERT_TRUE(w.dialog.focused.has_value());
    EXPECT_EQ(*w.dialog.focused, c.focus) << c.message;
    EXPECT_EQ(w.settings().wavelengths, std::vector<double>{1.5406});
    EXPECT_TRUE(w.dialog.visible);
  }
  Windows none;
  none.dialog.wavelength = {"1.5", "", "", ""};
  none.dialog.intensity = {"0", "", "", ""};
  lit_composition(none.view());
  EXPECT_EQ(none.ui.last_warning(), "No Wavelength!");
  EXPECT_EQ(none.settings().wavelengths, std::vector<double>{1.5406});
}

TEST(WavelengthDialog, ZeroIntensityDropsItsRowButNotTheRowsBelow) {
  // Regression: the relative intensities were written into the first boxes
  // whatever row they came from, and reading "Multiple" stopped at the
  // emptied row, losing the lines below it.
  Windows w;
  w.dialog.wavelength = {"1.54056", "1.54439", "1.39222", ""};
  w.dialog.intensity = {"100", "0", "25", ""};
  lit_composition(w.view());
  EXPECT_EQ(w.dialog.wavelength[1], "");
  EXPECT_EQ(w.dialog.intensity[1], "");
  EXPECT_EQ(w.dialog.intensity[0], "  1.00");
  EXPECT_EQ(w.dialog.intensity[2], "  0.25");
  EXPECT_EQ(w.settings().wavelengths, (std::vector<double>{1.39222, 1.54056}));

  ExperimentSettings reread;
  ASSERT_TRUE(read_spectrum(reread, w.form.experiment, w.dialog, w.ui));
  ASSERT_EQ(reread.wavelengths.size(), 2u);
  EXPECT_EQ(reread.wavelengths, w.settings().wavelengths);
  EXPECT_DOUBLE_EQ(reread.fractions[0] / reread.fractions[1], w.settings().fractions[0] / w.settings().fractions[1]);
  EXPECT_EQ(reread.shortest_wavelength, 1.39222);
  EXPECT_EQ(reread.longest_wavelength, 1.54056);
}

TEST(WavelengthDialog, HarmonicsOfTheFirstRow) {
  Windows w;
  w.dialog.wavelength = {"1.5406", "9", "9", "9"};
  w.dialog.intensity = {"1", "2", "3", "4"};
  set_lambda_sur_deux(w.dialog, w.ui);
  EXPECT_EQ(w.dialog.wavelength, (std::array<std::string, 4>{"1.5406", " 0.77030", " 0.51353", ""}));
  EXPECT_EQ(w.dialog.intensity, (std::array<std::string, 4>{"100", "30", "10", ""}));

  // Regression: the harmonics were taken from the spectrum in force (here
  // 1.5406 Å) instead of the wavelength shown in the first row.
  Windows molybdenum;
  set_lambda(molybdenum.workspace.settings, molybdenum.dialog, 0);
  set_lambda_sur_deux(molybdenum.dialog, molybdenum.ui);
  EXPECT_EQ(molybdenum.dialog.wavelength[1], " 0.35465");
  EXPECT_EQ(molybdenum.dialog.wavelength[2], " 0.23643");

  Windows empty;
  empty.dialog.wavelength = {"", "1", "", ""};
  set_lambda_sur_deux(empty.dialog, empty.ui);
  EXPECT_EQ(empty.dialog.wavelength[1], "1");
  Windows bad;
  bad.dialog.wavelength = {"1,5", "1", "", ""};
  set_lambda_sur_deux(bad.dialog, bad.ui);
  EXPECT_EQ(bad.ui.last_warning(), "Type error");
  EXPECT_EQ(bad.dialog.wavelength[1], "1");
}

TEST(WavelengthDialog, CancelOnlyHides) {
  Windows w;
  w.dialog.visible = true;
  w.dialog.wavelength[0] = "1.2";
  annule(w.dialog, w.ui);
  EXPECT_FALSE(w.dialog.visible);
  EXPECT_EQ(w.dialog.wavelength[0], "1.2");
  EXPECT_EQ(w.settings().wavelengths, std::vector<double>{1.5406});
}

TEST(WavelengthField, ReadsOneNumberMultipleOrNothing) {
  Windows w;
  w.form.experiment.wavelength = "  0.7093 ";
  ASSERT_TRUE(read_spectrum(w.workspace.settings, w.form.experiment, w.dialog, w.ui));
  EXPECT_EQ(w.settings().wavelengths, std::vector<double>{0.7093});
  EXPECT_EQ(w.settings().single_wavelength, 0.7093);
  EXPECT_EQ(w.settings().shortest_wavelength, 0.7093);

  w.form.experiment.wavelength = "";
  ASSERT_TRUE(read_spectrum(w.workspace.settings, w.form.experiment, w.dialog, w.ui));
  EXPECT_EQ(w.settings().wavelengths, std::vector<double>{0.7093});

  for (const char* bad : {"abc", "0", "-1.54"}) {
    w.form.experiment.wavelength = bad;
    EXPECT_FALSE(read_spectrum(w.workspace.settings, w.form.experiment, w.dialog, w.ui)) << bad;
    EXPECT_EQ(w.ui.last_warning(), "Wavelength error");
    EXPECT_EQ(w.settings().wavelengths, std::vector<double>{0.7093});
  }

  w.form.experiment.wavelength = "Multiple";
  w.dialog.wavelength = {"1.54056", "1.54439", "", ""};
  w.dialog.intensity = {"  1.00", "  0.50", "", ""};
  ASSERT_TRUE(read_spectrum(w.workspace.settings, w.form.experiment, w.dialog, w.ui));
  EXPECT_EQ(w.settings().wavelengths, (std::vector<double>{1.54056, 1.54439}));
  EXPECT_EQ(w.settings().fractions, (std::vector<double>{0.01, 0.005}));
  EXPECT_EQ(w.settings().longest_wavelength, 1.54439);
}

TEST(WavelengthField, EnteringItResetsResultsAndAnomalousTerms) {
  Windows w;
  w.workspace.phases = {phase_with_anomalous_terms()};
  w.workspace.current_phase = 1;
  load_current_phase(w.workspace);
  w.form.experiment.line_index = 5;
  w.form.results = {"x"};
  const FollowUp follow_up = entree_lambda(w.workspace, w.form);
  EXPECT_EQ(w.form.experiment.line_index, -1);
  EXPECT_FALSE(w.form.experiment.default_wavelength_notice_visible);
  EXPECT_TRUE(w.form.results.empty());
  EXPECT_TRUE(all_anomalous_terms_zero(w.workspace.composition, w.workspace.crystal));
  EXPECT_TRUE(w.form.crystal.apply_bar_visible);
  EXPECT_TRUE(follow_up.refresh_anomalous_table);
  EXPECT_TRUE(follow_up.clear_plot);
}

TEST(ExperimentSettingsDisplay, RangeFieldsFollowTheAngleScale) {
  ExperimentSettings settings;
  settings.two_theta_low = 10;
  settings.two_theta_high = 50;
  settings.q_low = 1.0952329;
  settings.q_high = 5.3107846;
  struct Case { AngleScale scale; const char* low; const char* high; };
  for (const Case& c : {Case{AngleScale::Theta, "  5.000", " 25.000"}, Case{AngleScale::TwoTheta, " 10.000", " 50.000"},
                        Case{AngleScale::Q, " 1.0952", " 5.3108"}}) {
    settings.angle_scale = c.scale;
    ExperimentPageForm page;
    show_experiment_settings(settings, page);
    EXPECT_EQ(page.range_low, c.low);
    EXPECT_EQ(page.range_high, c.high);
    EXPECT_EQ(page.wavelength, " 1.54060");
  }
}

}  // namespace
}  // namespace calvane
