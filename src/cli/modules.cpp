#include "cli/modules.hpp"

#include <dlfcn.h>

namespace calvane::cli {

std::filesystem::path executable_folder() {
  std::error_code error;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::filesystem::current_path(error) : self.parent_path();
}

void* load_module_entry(const std::filesystem::path& executable_folder, const char* name, const char* entry,
                        std::string& reason) {
  for (const auto& path : {executable_folder / name, executable_folder.parent_path() / CALVANE_MODULE_DIR / name}) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) continue;
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (module == nullptr) {
      reason = std::string(name) + " cannot be loaded: " + ::dlerror();
      return nullptr;
    }
    void* function = ::dlsym(module, entry);
    if (function == nullptr) reason = path.string() + " has no function " + entry;
    return function;
  }
  reason.clear();
  return nullptr;
}

}  // namespace calvane::cli
