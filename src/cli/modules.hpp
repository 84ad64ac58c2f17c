// calvane-sim's modules: parts of the program kept out of its start because
// they pull in large libraries (Qt for --plot, libxy for xylib's formats),
// loaded from a file beside the executable at their first use.
#pragma once

#include <filesystem>
#include <string>

namespace calvane::cli {

/// The folder of the running executable.
std::filesystem::path executable_folder();

/// Loads the module `name` found beside the executable in `executable_folder`,
/// else in the library folder of an installed program (`../lib/calvane` or
/// the multiarch `../lib/<triplet>/calvane`), and returns its function
/// `entry`; null when there is none, with the reason when the module was
/// found but could not be loaded or lacks the function.
void* load_module_entry(const std::filesystem::path& executable_folder, const char* name, const char* entry,
                        std::string& reason);

}  // namespace calvane::cli
