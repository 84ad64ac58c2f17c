// A program whose folder holds the installation data files, opening crystal
// files as the File menu entries do; and the crystal fixtures of these tests.
#pragma once

#include <string>

#include "flows/open_flow.hpp"
#include "support/program_in_folder.hpp"
#include "util/files.hpp"

namespace calvane::testing {

inline std::string crystal_fixture(const std::string& name) {
  return read_file_bytes(source_folder("tests/crystal_io/fixtures") / name).value_or("");
}

struct ProgramWithData : testing::ProgramInFolder {

  ProgramWithData() { folder.add_data_files(); }

  /// Writes `text` as `name` in the program folder and opens it through the entry of `kind`.
  void open(const std::string& name, const std::string& text, CrystalFileKind kind = CrystalFileKind::Native) {
    ui.choose_file(folder.write(name, text).string());
    open_crystal_file_of_kind(program, kind);
  }
  std::string all_warnings() const {
    std::string text;
    for (const std::string& warning : ui.warnings) text += warning + "\n";
    return text;
  }
};

}  // namespace calvane::testing
