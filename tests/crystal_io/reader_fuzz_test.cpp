// Every foreign-format reader on empty, truncated, mutated and random files:
// it either reads a sound crystal or refuses with exactly one message, and a
// refusal leaves the working crystal as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "flows/open_flow.hpp"
#include "util/files.hpp"
#include "support/program_in_folder.hpp"

namespace calvane {
namespace {


CurrentCrystal sentinel() {
  CurrentCrystal crystal;
  crystal.title = "sentinel";
  crystal.cell.a = 1.234;
  crystal.atoms.resize(1);
  return crystal;
}

struct FuzzedReader : testing::ProgramInFolder {
  int reads = 0, refusals = 0;

  FuzzedReader() { folder.add_data_files(); }

  void check(const std::string& name, CrystalFileKind kind, const std::string& content,
             const std::string& what) {
    const std::string path = folder.write(name, content).string();
    program.workspace.crystal = sentinel();
    program.workspace.crystal_file_name = "before";
    ui.warnings.clear();
    const bool read = read_crystal_file(program, kind, path);
    const CurrentCrystal& crystal = program.workspace.crystal;
    if (read) {
      ++reads;
      EXPECT_GE(crystal.atoms.size(), 1u) << what;
      EXPECT_LE(crystal.atoms.size(), 400u) << what;
      EXPECT_TRUE(std::isfinite(crystal.cell.volume) && crystal.cell.volume > 0) << what;
      for (const AtomSite& atom : crystal.atoms)
        EXPECT_TRUE(std::isfinite(atom.x + atom.y + atom.z + atom.b + atom.population)) << what;
    } else {
      ++refusals;
      EXPECT_EQ(ui.warnings.size(), 1u) << what << (ui.warnings.empty() ? "" : ": " + ui.warnings[0]);
      EXPECT_EQ(crystal.title, "sentinel") << what;
      EXPECT_EQ(crystal.atoms.size(), 1u) << what;
      EXPECT_EQ(program.workspace.crystal_file_name, "before") << what;
    }
  }
};

TEST(ReaderFuzz, EveryReaderSurvivesBrokenFiles) {
  const struct {
    const char* fixture;
    const char* name;
    CrystalFileKind kind;
  } formats[] = {
      {"zro2.ins", "f.ins", CrystalFileKind::Shelx},
      {"zro2_layout_a.res", "f.res", CrystalFileKind::Shelx},
      {"zro2_layout_b.res", "g.res", CrystalFileKind::Shelx},
      {"rutile.cel", "f.cel", CrystalFileKind::PowderCell},
      {"rutile.lzy", "f.lzy", CrystalFileKind::LazyPulverix},
      {"rutile_old_dictionary.cif", "f.cif", CrystalFileKind::Cif},
      {"zro2_multiline.cif", "g.cif", CrystalFileKind::Cif},
      {"nacl_current_dictionary.cif", "h.cif", CrystalFileKind::Cif},
  };
  std::mt19937 random(20040331);
  const std::string alphabet = "0123456789.-+/=_ ;'\"()?#\n\tXYZxyzCLATMloop_data_\r\x01\xff";
  for (const auto& format : formats) {
    SCOPED_TRACE(format.fixture);
    const std::string text =
        read_file_bytes(testing::source_folder("tests/crystal_io/fixtures") / format.fixture).value_or("");
    ASSERT_FALSE(text.empty());
    FuzzedReader fuzz;
    fuzz.check(format.name, format.kind, text, "whole file");
    EXPECT_EQ(fuzz.reads, 1) << fuzz.ui.last_warning();
    fuzz.check(format.name, format.kind, "", "empty file");

    const std::size_t step = std::max<std::size_t>(1, text.size() / 120);
    for (std::size_t length = 1; length < text.size(); length += step)
      fuzz.check(format.name, format.kind, text.substr(0, length), "cut at " + std::to_string(length));

    for (int trial = 0; trial < 150; ++trial) {
      std::string mutated = text;
      const int changes = 1 + static_cast<int>(random() % 4);
      for (int i = 0; i < changes; ++i)
        mutated[random() % mutated.size()] = alphabet[random() % alphabet.size()];
      fuzz.check(format.name, format.kind, mutated, "mutation " + std::to_string(trial));
    }
    for (int trial = 0; trial < 40; ++trial) {
      std::string noise(random() % 2000, ' ');
      for (char& c : noise) c = static_cast<char>(random() % 256);
      fuzz.check(format.name, format.kind, noise, "noise " + std::to_string(trial));
    }
    EXPECT_GT(fuzz.refusals, 0);
  }
}

}  // namespace
}  // namespace calvane
