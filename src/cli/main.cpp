// calvane-sim: simulates powder patterns from crystal files without a screen.
// It links no GUI library: the plot module is loaded only for --plot.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/batch.hpp"
#include "cli/modules.hpp"
#include "cli/options.hpp"
#include "cli/plot_module.hpp"
#include "cli/run.hpp"
#include "util/program_folder.hpp"

namespace {

/// The data files lie beside the executable in a laid-out program folder, or
/// in `share/calvane` of the prefix of an installed one.
std::filesystem::path data_folder(const std::filesystem::path& executable_folder) {
  return calvane::installed_data_folder(executable_folder).value_or(executable_folder);
}

}  // namespace

int main(int argc, char* argv[]) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  calvane::cli::Options options;
  try {
    options = calvane::cli::parse_options(arguments);
  } catch (const std::invalid_argument& error) {
    std::cerr << "calvane-sim: " << error.what() << '\n' << calvane::cli::usage();
    return 2;
  }
  if (options.help) {
    std::cout << calvane::cli::usage();
    return 0;
  }
  if (options.version) {
    std::cout << "calvane-sim " << CALVANE_VERSION << '\n';
    return 0;
  }
  const std::filesystem::path folder = calvane::cli::executable_folder();
  if (options.batch_inputs)
    return calvane::cli::run_batch(options, data_folder(folder), std::cin, std::cerr, ::isatty(STDERR_FILENO) != 0);
  return calvane::cli::run(options, data_folder(folder), std::cerr, calvane::cli::module_plot_renderer(folder));
}
