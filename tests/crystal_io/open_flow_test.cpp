#include "flows/open_flow.hpp"

#include <gtest/gtest.h>

#include "crystal_io/cry_file.hpp"
#include "crystal_io/system_check.hpp"
#include "program_with_data.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

using testing::ScriptedUi;

std::string crystal_text(const std::string& system, const std::string& symbol) {
  const std::string angles = system == "MONO" ? " 90 100 90" : " 90 90 90";
  return "Test crystal\n" + system + "\n" + symbol + "\n5.431 5.431 5.431" + angles +
         "\nSi  1  0.125 0.125 0.125 0.5 1\n";
}

struct OpenFlow : ::testing::Test, testing::ProgramWithData {
  void open_crystal(const std::string& name, const std::string& system = "CUBI",
                    const std::string& symbol = "F d -3 m") {
    open(name, crystal_text(system, symbol));
  }
};

TEST_F(OpenFlow, AddsThePhaseWithDefaultsAndShowsIt) {
  open_crystal("si.cry");
  EXPECT_TRUE(ui.warnings.empty()) << ui.last_warning();
  ASSERT_EQ(program.workspace.phase_count(), 1);
  const PhaseData& phase = program.workspace.phase(1);
  ASSERT_FALSE(phase.reflections.empty());  // computed at once
  const PhaseRow& row = program.main_form.phases.rows[0];
  EXPECT_EQ(std::tuple(program.main_form.results.at(2), ui.open_requests.at(0).filter,
                       row.name + "|" + row.percent + "|" + row.size + "|" + row.strain,
                       program.main_form.crystal.xray_atoms.cell(1, 2)),
            std::tuple("Phase 1  scale factor K=" + fixed(phase.scale_factor, 10, 8), kCrystalOpenFilter,
                       "si| 100.0|5000.0|  0.00", "0.12500"));
}

TEST_F(OpenFlow, TheOpenMenuHidesRestoreAndResetsTheIntensityScale) {
  program.main_form.phases.restore_visible = true;
  program.plot_state.intensity_scale = 2.5;
  program.plot_state.scale_position = 25;
  reset_before_crystal_open(program);
  EXPECT_EQ(std::tuple(program.main_form.phases.restore_visible, program.plot_state.intensity_scale,
                       program.plot_state.scale_position),
            std::tuple(false, 1.0, 10));
}

TEST_F(OpenFlow, SecondFileSharesTheFractionsAndADuplicateIsRefused) {
  open_crystal("si.cry");
  open_crystal("nacl.cry", "CUBI", "F m -3 m");
  ASSERT_EQ(program.workspace.phase_count(), 2);
  EXPECT_EQ(program.main_form.phases.rows[0].percent + program.main_form.phases.rows[1].percent,
            "  50.0  50.0");

  // The same file again, even named in other case: refused before anything is read.
  for (const auto& again : {folder / "si.cry", folder / "SI.CRY"}) {
    ui.choose_file(again.string());
    open_crystal_file_of_kind(program, CrystalFileKind::Native);
    EXPECT_EQ(ui.last_warning(), "The file " + again.string() + " is already loaded");
  }
  EXPECT_EQ(program.workspace.phase_count(), 2);
}

TEST_F(OpenFlow, RefusesANinthPhaseAnIcsdFileAndAMissingWavelength) {
  for (int i = 1; i <= 8; ++i) open_crystal("p" + std::to_string(i) + ".cry");
  ASSERT_EQ(program.workspace.phase_count(), 8);
  open_crystal_file_of_kind(program, CrystalFileKind::Native);  // no dialog shown
  EXPECT_EQ(std::tuple(ui.last_warning(), ui.open_requests.size()), std::tuple("Max. Nb of phases =8!", 8u));

  program.workspace.phases.clear();
  open("x.ics", "anything", CrystalFileKind::Icsd);
  EXPECT_EQ(ui.last_warning(), "ics format not available!");

  for (const char* wavelength : {"", "0.00000"}) {
    program.main_form.experiment.wavelength = wavelength;
    open_crystal_file_of_kind(program, CrystalFileKind::Native);
    EXPECT_EQ(std::tuple(ui.last_warning(), program.main_form.page),
              std::tuple("No WaveLength!", MainPage::ExperimentalData));
  }
  EXPECT_EQ(program.workspace.phase_count(), 0);
}

// A refused file adds nothing: the reader's reason, then the flow's own message.
TEST_F(OpenFlow, ARefusedFileGivesItsReasonAndAddsNothing) {
  open("quartz.ins", "TITL quartz\n", CrystalFileKind::Shelx);
  EXPECT_EQ(ui.warnings,
            (std::vector<std::string>{"Cell parameters not found! (quartz.ins: no CELL line)",
                                      "Read error in the data file"}));
  EXPECT_EQ(program.workspace.phase_count(), 0);
}

// The article of the message follows the system ("a", "an"); the monoclinic
// case goes through the open flow below.
TEST(SystemCheck, ReplacesSymbolsThatDoNotFitTheSystem) {
  struct Case {
    const char* code;
    int number;
    const char *text, *replacement;
  };
  const Case cases[] = {
      {"TRIC", 14, " is not compatible with a Triclinic cell. It has been  reset to P1", "P1"},
      {"ORTH", 14, " is not compatible with an Orthorhombic cell. It has been  reset to P222", "P222"},
      {"RHOM", 147, " is not compatible with a Rhomboedral cell. It has been  reset to R3", "R3"},
  };
  for (const Case& c : cases) {
    ScriptedUi ui;
    auto replacement = check_system(c.code, c.number, "S", ui);
    EXPECT_EQ(std::tuple(replacement, ui.warnings),
              std::tuple(std::optional<std::string>(c.replacement),
                         std::vector{std::string("The Space Group S") + c.text}))
        << c.code;
  }
  // Groups of their own system pass silently: the trigonal R groups in hexagonal axes too.
  ScriptedUi ui;
  for (auto [code, number] :
       {std::pair{"HEXA", 167}, {"RHOM", 167}, {"MONO", 14}, {"CUBI", 227}, {"TRIC", 2}})
    EXPECT_FALSE(check_system(code, number, "S", ui).has_value()) << code << number;
  EXPECT_TRUE(ui.warnings.empty());
}

TEST_F(OpenFlow, MonoclinicFileWithAnOrthorhombicGroupIsReset) {
  open_crystal("odd.cry", "MONO", "Pnma");
  ASSERT_EQ(program.workspace.phase_count(), 1);
  EXPECT_EQ(
      std::tuple(ui.warnings.at(0), program.workspace.phase(1).crystal.symbol),
      std::tuple("The Space Group Pnma is not compatible with a Monoclinic cell. It has been  reset to P2/M",
                 "P2/M"));
  // A symbol written with other blanks is found all the same, and an unknown one is accepted unchecked.
  EXPECT_EQ(find_space_group_number(folder / "csp.lst", "p 21/c"), 14);
  EXPECT_FALSE(find_space_group_number(folder / "csp.lst", "Q 42").has_value());
}

TEST_F(OpenFlow, SaveWritesTheCrystalAndAsksBeforeOverwriting) {
  open_crystal("si.cry");
  const auto target = folder / "copy.cry";
  ui.choose_file(target.string());
  save_current_crystal(program);
  EXPECT_TRUE(read_file_bytes(target).value_or("").starts_with("Test crystal\nCUBI\nF d -3 m\n"));

  // The name without extension gets ".cry"; an existing file needs Yes.
  folder.write("copy.cry", "keep me");
  ui.choose_file((folder / "copy").string());
  ui.answer(Answer::No);
  save_current_crystal(program);
  EXPECT_EQ(std::tuple(ui.questions.back(), *read_file_bytes(target)),
            std::tuple("This file already exists. Do you want to continue?", "keep me"));
}

}  // namespace
}  // namespace calvane
