// calvane-sim's xylib_backend(): libxy's readers, loaded from the module
// calvane-sim-xylib.so at the first file read through xylib.
#include <string>
#include <vector>

#include "cli/modules.hpp"
#include "cli/xylib_module.hpp"
#include "experiment_io/xylib_reader.hpp"

namespace calvane {

namespace {

std::string& load_failure() {
  static std::string reason;
  return reason;
}

const XylibBackend* loaded_backend() {
  // Loaded once for the process; C++ makes the first call safe from several threads.
  static const XylibBackend* const backend = [] {
    using Entry = const XylibBackend* (*)();
    std::string& reason = load_failure();
    auto entry = reinterpret_cast<Entry>(
        cli::load_module_entry(cli::executable_folder(), cli::kXylibModuleName, cli::kXylibModuleEntry, reason));
    if (entry == nullptr && reason.empty()) reason = std::string(cli::kXylibModuleName) + " is not installed";
    return entry != nullptr ? entry() : nullptr;
  }();
  return backend;
}

std::vector<std::string> extensions(const char* xylib_name) {
  const XylibBackend* backend = loaded_backend();
  return backend != nullptr ? backend->extensions(xylib_name) : std::vector<std::string>{};
}

bool recognises(const char* xylib_name, std::string_view bytes) {
  const XylibBackend* backend = loaded_backend();
  return backend != nullptr && backend->recognises(xylib_name, bytes);
}

MeasuredReading read(const char* xylib_name, std::string_view bytes, bool decimal_comma) {
  const XylibBackend* backend = loaded_backend();
  if (backend == nullptr) return measured_failure("xylib's readers are missing: " + load_failure());
  return backend->read(xylib_name, bytes, decimal_comma);
}

}  // namespace

const XylibBackend& xylib_backend() {
  static constexpr XylibBackend through_module{extensions, recognises, read};
  return through_module;
}

}  // namespace calvane
