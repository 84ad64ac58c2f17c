#include "ui/spectrum.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "profile/wavelength_lines.hpp"
#include "support/scripted_ui.hpp"
#include "model/workspace.hpp"

namespace calvane {
namespace {

struct Windows {
  Workspace workspace;
  MainForm form;
  WavelengthForm dialog;
  testing::ScriptedUi ui;
  SpectrumView view() { return {workspace, form, dialog, ui}; }
  const ExperimentSettings& settings() const { return workspace.settings; }
  void type(std::array<std::string, 4> wavelengths, std::array<std::string, 4> intensities) {
    dialog.wavelength = std::move(wavelengths);
    dialog.intensity = std::move(intensities);
  }
};

bool anomalous_terms_zero(const PhaseComposition& composition) {
  for (const auto& terms : composition.anomalous)
    if (terms.f_prime != std::array<double, 4>{} || terms.f_second != std::array<double, 4>{}) return false;
  return true;
}

// An item of the line list sets a one-line spectrum of its wavelength and the
// anode code of its element. Bearden (1967): Mo Kα1 0.70930 Å, Cu Kα1 1.54056 Å.
TEST(LineList, ALineSetsAOneLineSpectrum) {
  for (auto [index, text, wavelength, anode] : {std::tuple{1, " 0.70930", 0.7093, "Mo"}, {5, " 1.54056", 1.54056, "Cu"}}) {
    Windows w;
    w.workspace.settings.wavelengths = {1.0, 2.0};
    w.workspace.settings.fractions = {0.5, 0.5};
    w.form.experiment.spectrum_visible = true;
    choose_wavelength_line(w.view(), index);
    const ExperimentSettings& s = w.settings();
    EXPECT_EQ(
        std::tuple(w.form.experiment.wavelength, s.wavelengths, s.fractions, s.shortest_wavelength,
                   s.longest_wavelength, s.anode_code, w.form.experiment.spectrum_visible),
        std::tuple(text, std::vector{wavelength}, std::vector{1.0}, wavelength, wavelength, anode, false));
  }
  // The copper doublet: Kα1 and Kα2 at 2 : 1, shown in the spectrum table.
  Windows doublet;
  choose_wavelength_line(doublet.view(), kCopperDoubletIndex);
  const ExperimentSettings& s = doublet.settings();
  EXPECT_EQ(
      std::tuple(s.wavelengths, s.longest_wavelength, s.anode_code, doublet.form.experiment.spectrum_visible),
      std::tuple(std::vector{1.54056, 1.54439}, 1.54439, "Cu", true));
  EXPECT_NEAR(s.fractions.at(0) - 2 * s.fractions.at(1), 0, 1e-12);
  EXPECT_NEAR(s.fractions[0] + s.fractions[1], 1, 1e-12);
}

TEST(LineList, ChoosingALineZeroesAnomalousTermsAndSetsQInReciprocalAngstroms) {
  Windows w;  // one phase, loaded, whose iron has f′ and f″ at every wavelength
  PhaseData phase;
  phase.composition.anomalous.push_back({"Fe", {-1.1, -1.2, -1.3, -1.4}, {3.2, 3.3, 3.4, 3.5}});
  phase.crystal.scattering_types.push_back({"FE", {}, {}, 0, {-1.1}, {3.2}, {}, 1});
  w.workspace.phases = {phase, phase};
  w.workspace.current_phase = 1;
  load_current_phase(w.workspace);
  const FollowUp follow_up = choose_wavelength_line(w.view(), 5);
  EXPECT_EQ(std::tuple(anomalous_terms_zero(w.workspace.phase(2).composition),
                       anomalous_terms_zero(w.workspace.composition),
                       w.workspace.crystal.scattering_types[0].f_second[0], follow_up.commit_crystal_page,
                       follow_up.refresh_anomalous_table),
            std::tuple(true, true, 0.0, true, true));
  // Q = 4π·sin θ / λ at Cu Kα1 (1.54056 Å): 4π·sin 5° / λ and 4π·sin 25° / λ, by hand.
  EXPECT_NEAR(w.settings().q_low, 0.7109307, 1e-6);
  EXPECT_NEAR(w.settings().q_high, 3.4473034, 1e-6);

  Windows multiple;  // "Multiple W.L." empties the spectrum and opens the dialog
  choose_wavelength_line(multiple.view(), 0);
  EXPECT_EQ(std::tuple(multiple.settings().wavelengths.size(), multiple.settings().single_wavelength,
                       multiple.ui.window_changes.back()),
            std::tuple(0u, 0.0, std::pair(WindowId::MultipleWavelength, true)));
}

TEST(WavelengthDialog, CopperAnodeGivesThreeSortedLinesWithSharesOfOneHundredSixty) {
  Windows w;
  choose_wavelength_line(w.view(), 0);
  fill_anode_lines(w.workspace.settings, w.dialog, 1);
  read_spectrum_composition(w.view());
  EXPECT_EQ(std::tuple(w.ui.warnings.size(), w.settings().wavelengths, w.settings().fractions,
                       w.form.experiment.wavelength, w.form.experiment.spectrum_visible, w.dialog.visible),
            std::tuple(0u, std::vector{1.39222, 1.54056, 1.54439},
                       std::vector{10.0 / 160, 100.0 / 160, 50.0 / 160}, "Multiple", true, false));
  EXPECT_EQ(
      w.form.experiment.spectrum.cells,
      (std::vector<std::vector<std::string>>{
          {"Lambda", "%", "<mu><rho>"}, {" 1.39222", "10.0"}, {" 1.54056", "100.0"}, {" 1.54439", "50.0"}}));
  EXPECT_EQ(w.dialog.intensity, (std::array<std::string, 4>{"  1.00", "  0.50", "  0.10", ""}));
  // The Q range holds every line: its low end at the longest wavelength, its high end at the shortest.
  EXPECT_NEAR(w.settings().q_low, 4 * M_PI * std::sin(5 * M_PI / 180) / 1.54439, 1e-12);
  EXPECT_NEAR(w.settings().q_high, 4 * M_PI * std::sin(25 * M_PI / 180) / 1.39222, 1e-12);
}

TEST(WavelengthDialog, RefusalsNameTheBoxAndKeepTheSpectrum) {
  struct Case {
    std::array<std::string, 4> wavelengths, intensities;
    const char* message;
    std::optional<WavelengthBox> focus;
  };
  const Case cases[] = {
      {{"1.5", "x", "", ""}, {"100", "50", "", ""}, "Type error", WavelengthBox{1, false}},
      {{"1.5", "1.6", "", ""}, {"100", "", "", ""}, "No percent on wavelength #2", WavelengthBox{1, true}},
      {{"", "", "", "0.7"}, {"", "", "", "-5"}, "Type error", WavelengthBox{3, true}},
      {{"1.5", "", "", ""}, {"0", "", "", ""}, "No Wavelength!", std::nullopt},
  };
  for (const Case& c : cases) {
    Windows w;
    w.type(c.wavelengths, c.intensities);
    w.dialog.visible = true;
    read_spectrum_composition(w.view());
    EXPECT_EQ(std::tuple(w.ui.last_warning(), w.dialog.focused, w.settings().wavelengths, w.dialog.visible),
              std::tuple(c.message, c.focus, std::vector{1.5406}, true));
  }
}

TEST(WavelengthDialog, ZeroIntensityDropsItsRowButNotTheRowsBelow) {
  // Regression: the relative intensities were written into the first boxes
  // whatever row they came from, and reading "Multiple" stopped at the
  // emptied row, losing the lines below it.
  Windows w;
  w.type({"1.54056", "1.54439", "1.39222", ""}, {"100", "0", "25", ""});
  read_spectrum_composition(w.view());
  EXPECT_EQ(
      std::tuple(w.dialog.wavelength[1], w.dialog.intensity, w.settings().wavelengths),
      std::tuple("", std::array<std::string, 4>{"  1.00", "", "  0.25", ""}, std::vector{1.39222, 1.54056}));

  ExperimentSettings reread;
  ASSERT_TRUE(read_spectrum(reread, w.form.experiment, w.dialog, w.ui));
  EXPECT_EQ(reread.wavelengths, w.settings().wavelengths);
  EXPECT_DOUBLE_EQ(reread.fractions[0] / reread.fractions[1],
                   w.settings().fractions[0] / w.settings().fractions[1]);
  EXPECT_EQ((std::array{reread.shortest_wavelength, reread.longest_wavelength}),
            (std::array{1.39222, 1.54056}));
}

TEST(WavelengthDialog, HarmonicsOfTheFirstRow) {
  Windows w;
  w.type({"1.5406", "9", "9", "9"}, {"1", "2", "3", "4"});
  set_harmonic_lines(w.dialog, w.ui);
  EXPECT_EQ(w.dialog.wavelength, (std::array<std::string, 4>{"1.5406", " 0.77030", " 0.51353", ""}));
  EXPECT_EQ(w.dialog.intensity, (std::array<std::string, 4>{"100", "30", "10", ""}));

  // Regression: the harmonics came from the spectrum in force (1.5406 Å
  // here) instead of the wavelength shown in the first row.
  Windows molybdenum;
  fill_anode_lines(molybdenum.workspace.settings, molybdenum.dialog, 0);
  set_harmonic_lines(molybdenum.dialog, molybdenum.ui);
  EXPECT_EQ(molybdenum.dialog.wavelength[1] + molybdenum.dialog.wavelength[2], " 0.35465 0.23643");

  Windows empty;  // nothing happens while the first row is empty
  empty.type({"", "1", "", ""}, {});
  set_harmonic_lines(empty.dialog, empty.ui);
  EXPECT_EQ(empty.dialog.wavelength[1], "1");
}

TEST(WavelengthField, ReadsOneNumberMultipleOrNothing) {
  Windows w;
  w.form.experiment.wavelength = "  0.7093 ";
  ASSERT_TRUE(read_spectrum(w.workspace.settings, w.form.experiment, w.dialog, w.ui));
  EXPECT_EQ(w.settings().longest_wavelength, 0.7093);
  for (const char* bad : {"", "abc", "0", "-1.54"}) {
    w.form.experiment.wavelength = bad;
    EXPECT_EQ(read_spectrum(w.workspace.settings, w.form.experiment, w.dialog, w.ui), !*bad) << bad;
    EXPECT_EQ(w.settings().wavelengths, std::vector<double>{0.7093});
  }
  EXPECT_EQ(w.ui.warnings, std::vector<std::string>(3, "Wavelength error"));

  w.form.experiment.wavelength = "Multiple";
  w.type({"1.54439", "1.54056", "", ""}, {"  0.50", "  1.00", "", ""});
  ASSERT_TRUE(read_spectrum(w.workspace.settings, w.form.experiment, w.dialog, w.ui));
  EXPECT_EQ(std::tuple(w.settings().wavelengths, w.settings().fractions),
            std::tuple(std::vector{1.54056, 1.54439}, std::vector{0.01, 0.005}));
}

}  // namespace
}  // namespace calvane
