// A started program over a temporary copy of the shipped data files, opening
// example crystals as the File menu does.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "flows/open_flow.hpp"
#include "support/program_in_folder.hpp"
#include "flows/startup.hpp"

namespace calvane::testing {

struct StartedProgram : testing::ProgramInFolder {

  StartedProgram() {
    folder.add_data_files();
    EXPECT_TRUE(initialise_program(program)) << ui.last_warning();
  }
  /// Opens examples/<name> through the Calvane-format entry of the File menu.
  void open_example(const std::string& name) {
    ui.choose_file(source_folder("examples/" + name).string());
    open_crystal_file_of_kind(program, CrystalFileKind::Native);
    EXPECT_TRUE(ui.warnings.empty()) << name << ": " << ui.last_warning();
  }
};

}  // namespace calvane::testing
