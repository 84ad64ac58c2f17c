// A program whose folder is a fresh temporary folder, speaking through a
// scripted Ui.
#pragma once

#include "flows/program.hpp"
#include "support/scripted_ui.hpp"
#include "support/temp_folder.hpp"

namespace calvane::testing {

struct ProgramInFolder {
  TempFolder folder;
  ScriptedUi ui;
  Program program{ui, folder.path()};
};

}  // namespace calvane::testing
