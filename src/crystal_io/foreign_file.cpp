#include "crystal_io/foreign_file.hpp"

#include "util/files.hpp"
#include "workspace/program.hpp"

namespace calvane {

int read_foreign_file(Program& program, const LineReader& reader) {
  const std::string& name = program.workspace.crystal_file_name;
  auto lines = read_text_lines(program.resolve(name));
  if (!lines) {
    program.ui.warning("Cannot open the file " + name);
    return 1;
  }
  auto crystal = reader(*lines, name, program.ui);
  if (!crystal) return 1;
  if (crystal->atoms.empty()) {
    program.ui.warning("No detected atom in the file " + name);
    return 1;
  }
  program.workspace.crystal = std::move(*crystal);
  return 0;
}

}  // namespace calvane
