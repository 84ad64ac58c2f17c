#include "flows/startup.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"
#include "flows/program.hpp"

namespace calvane {
namespace {

using testing::ScriptedUi;
using testing::TempFolder;
namespace fs = std::filesystem;

void write_data_files(const TempFolder& folder, std::initializer_list<const char*> names) {
  for (const char* name : names) folder.write(name, "x");
}

TEST(Startup, OnlyTheLastMissingDataFileIsReported) {
  struct Case { std::initializer_list<const char*> present; const char* message; };
  const Case cases[] = {
      {{"Brcow.an", "csp.lst", "spgr.peq", "muro.dat"}, "File spgr2.dat not found"},
      {{"spgr2.dat", "Brcow.an", "spgr.peq"}, "File muro.dat not found"},  // csp.lst and muro.dat missing
      {{"spgr2.dat", "csp.lst", "spgr.peq", "muro.dat"}, "File Brcow.an not found"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    write_data_files(folder, c.present);
    ScriptedUi ui;
    Program program(ui, folder.path());
    EXPECT_FALSE(initialise_program(program));
    EXPECT_EQ(ui.warnings, std::vector<std::string>{c.message});
  }
}

TEST(Startup, FindsDataFilesWithoutCaseDeletesOldListingsAndSetsDefaults) {
  TempFolder folder;
  write_data_files(folder, {"SPGR2.DAT", "brcow.an", "CSP.LST", "Spgr.peq", "muro.dat"});
  for (const char* old : {"phase0.out", "phase3.out", "phase82.out", "report_cmp.txt"}) folder.write(old, "old");
  folder.write("phase9.out", "not ours");
  ScriptedUi ui;
  ui.width = 2560;
  Program program(ui, folder.path());
  program.main_form.experiment.wavelength = "typed";
  // The scratch folder of a run that crashed, beside this program's own.
  const fs::path own = program.scratch.path();
  ASSERT_FALSE(own.empty()) << program.scratch.problem();
  std::string crashed_name = own.filename().string();
  const std::string pid = std::to_string(::getpid());
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  crashed_name.replace(crashed_name.find(pid), pid.size(), std::to_string(ended));
  const fs::path crashed = own.parent_path() / crashed_name;
  fs::create_directory(crashed);
  std::ofstream(crashed / "silicon.cry") << "x";
  ASSERT_TRUE(initialise_program(program));
  EXPECT_EQ((std::vector{fs::exists(crashed), fs::is_directory(own), fs::exists(folder / "phase0.out"),
                         fs::exists(folder / "phase82.out"), fs::exists(folder / "report_cmp.txt"),
                         fs::exists(folder / "phase9.out")}),
            (std::vector{false, true, false, false, false, true}));
  // A wide screen is clamped to the buffers; what was typed before is reset.
  EXPECT_EQ(std::tuple(program.workspace.settings.profile_points, program.main_form.experiment.wavelength),
            std::tuple(1600, "1.5406"));
}

TEST(Exit, DeletesItsScratchFilesAndListingsButNoUserFile) {
  TempFolder folder;
  ScriptedUi ui;
  Program program(ui, folder.path());
  // The user's own files, named as scratch files of other versions were.
  for (const char* name : {"a_mp.cry", "b.cry", "phase1.out", "phase12.out", "phase2.out", "c_mp.cpi", "d_mp.prn", "e.prn"})
    folder.write(name, "x");
  const fs::path scratch = program.scratch.new_subfolder("workspace-");
  ASSERT_FALSE(scratch.empty()) << program.scratch.problem();
  std::ofstream(scratch / "a.cry") << "x";
  std::ofstream(scratch / "c_mp.cpi") << "x";
  Workspace& ws = program.workspace;
  ws.phases.resize(3);
  ws.phase(1).file_name = (scratch / "a.cry").string();
  ws.phase(2).file_name = "b.cry";
  ws.phase(3).file_name = "a_mp.cry";
  ws.observed_patterns.emplace_back().file_name = (scratch / "c_mp.cpi").string();
  ws.observed_patterns.emplace_back().file_name = "c_mp.cpi";
  ws.observed_peaks.emplace_back().file_name = "d_mp.prn";
  quit_program(program);
  EXPECT_TRUE(ui.quit_called);
  for (const fs::path& gone : {scratch / "a.cry", scratch / "c_mp.cpi", folder / "phase1.out", folder / "phase12.out",
                               folder / "phase2.out"})
    EXPECT_FALSE(fs::exists(gone)) << gone;
  for (const char* kept : {"a_mp.cry", "b.cry", "c_mp.cpi", "d_mp.prn", "e.prn"})
    EXPECT_TRUE(fs::exists(folder / kept)) << kept;
}

}  // namespace
}  // namespace calvane
