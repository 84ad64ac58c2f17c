#include "ui/phase_options.hpp"
#include "profile/phase_computation.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "support/scripted_ui.hpp"
#include "model/workspace.hpp"

namespace calvane {
namespace {

struct Phases {
  Workspace workspace;
  MainForm form;
  testing::ScriptedUi ui;

  explicit Phases(std::vector<double> molecular_weights) {
    for (double m : molecular_weights) {
      PhaseData phase;
      phase.fraction = 1.0 / static_cast<double>(molecular_weights.size());
      phase.composition.molecular_weight = m;
      workspace.phases.push_back(phase);
    }
  }
  void type(std::size_t row, const char* percent, const char* size, const char* strain) {
    form.phases.rows[row].percent = percent;
    form.phases.rows[row].size = size;
    form.phases.rows[row].strain = strain;
  }
};

TEST(PhaseOptions, PercentagesAreNormalisedAndShownAgain) {
  Phases p({100, 200});
  p.type(0, "50", "1000", "2");
  p.type(1, " 150 ", "", "");
  p.form.phases.rows[1].draw = true;
  p.form.phases.sum_toggle_pressed = true;
  ASSERT_TRUE(read_phase_options(p.workspace, p.form, p.ui));
  const PhaseData &first = p.workspace.phase(1), &second = p.workspace.phase(2);
  // The strain box holds thousandths; empty boxes mean no broadening; "Sum" pressed masks the sum.
  EXPECT_EQ(std::tuple(first.fraction, second.fraction,
                       p.form.phases.rows[0].percent + p.form.phases.rows[1].percent, first.strain,
                       second.crystal_size, second.strain),
            std::tuple(0.25, 0.75, "  25.0  75.0", 0.002, 0.0, 0.0));
  EXPECT_EQ(std::tuple(first.draw, second.draw, p.workspace.settings.draw_sum, p.form.phases.sum_draw,
                       p.workspace.settings.draw_observed),
            std::tuple(false, true, false, false, true));
}

TEST(PhaseOptions, AnUnreadableBoxChangesNoPhase) {
  struct Case {
    std::size_t row;
    const char *percent, *size, *strain, *message;
  };
  const Case cases[] = {
      {1, "abc", "100", "0", "Error on %"},   {1, "-10", "100", "0", "Error on %"},
      {1, "20", "1e", "0", "Error on Width"}, {1, "20", "100", "2..", "Error on Delta(d)/d"},
      {0, "0", "100", "0", "Error on %"},  // both shares 0: a sum of 0
  };
  for (const Case& c : cases) {
    Phases p({100, 200});
    p.type(0, "30", "700", "1");
    p.type(1, "0", "700", "1");
    p.type(c.row, c.percent, c.size, c.strain);
    EXPECT_FALSE(read_phase_options(p.workspace, p.form, p.ui)) << c.message;
    // The box is not rewritten.
    EXPECT_EQ(std::tuple(p.ui.warnings, p.workspace.phase(1).fraction, p.workspace.phase(1).crystal_size,
                         p.form.phases.rows[0].percent),
              std::tuple(std::vector<std::string>{c.message}, 0.5, 5000.0, c.row == 0 ? c.percent : "30"))
        << c.message;
  }
}

TEST(PercentMode, WeightAndMolarSharesConvertThroughMolecularWeights) {
  // Equal weights of M = 100 and M = 200: moles 0.5/100 and 0.5/200, so
  // molar shares 2/3 and 1/3 (hand computation); back again gives 1/2, 1/2.
  Phases p({100, 200});
  p.form.results = {"line"};
  EXPECT_TRUE(change_percent_mode(p.workspace, p.form, true, p.ui).recompute_all);
  EXPECT_EQ(std::tuple(p.workspace.settings.percent_mode, p.form.phases.percent_caption,
                       p.form.phases.rows[0].percent + p.form.phases.rows[1].percent, p.form.results.size()),
            std::tuple("MOLEC", "Molec", "  66.7  33.3", 0u));
  EXPECT_DOUBLE_EQ(p.workspace.phase(1).fraction, 2.0 / 3);
  change_percent_mode(p.workspace, p.form, true, p.ui);  // the mode in force: no change
  EXPECT_DOUBLE_EQ(p.workspace.phase(1).fraction, 2.0 / 3);
  change_percent_mode(p.workspace, p.form, false, p.ui);
  EXPECT_EQ(p.form.phases.percent_caption, "weight");
  EXPECT_NEAR(std::hypot(p.workspace.phase(1).fraction - 0.5, p.workspace.phase(2).fraction - 0.5), 0, 1e-12);
  Phases unweighed({100, 0});
  EXPECT_FALSE(change_percent_mode(unweighed.workspace, unweighed.form, true, unweighed.ui).recompute_all);
  EXPECT_EQ(std::tuple(unweighed.ui.last_warning(), unweighed.workspace.settings.percent_mode,
                       unweighed.form.phases.molar_percent),
            std::tuple("No molecular weight for phase#2", "POIDS", false));
}

TEST(PercentMode, StoredProfileFactor) {
  // Weight mode divides the share by M: 0.5/200 = 0.0025, 0.5/100 = 0.005.
  struct Case {
    const char* mode;
    double fraction, m, factor;
  };
  for (const Case& c : {Case{"POIDS", 0.5, 200, 0.0025}, Case{"POIDS", 0.5, 100, 0.005},
                        Case{"MOLEC", 0.5, 200, 0.5}, Case{"POIDS", 0.5, 0, 0.0}})
    EXPECT_DOUBLE_EQ(phase_weight_factor(c.mode, c.fraction, c.m), c.factor) << c.mode << " " << c.m;
}

}  // namespace
}  // namespace calvane
