#include "experiment_io/zip_library.hpp"

#include <dlfcn.h>

#include <mutex>

namespace calvane {

namespace {

template <typename Function>
bool find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(::dlsym(library, name));
  return function != nullptr;
}

struct LoadedZipLibrary {
  ZipLibrary functions{};
  std::string reason;
  bool loaded = false;

  LoadedZipLibrary() {
    void* library = ::dlopen("libzip.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      reason = std::string("libzip cannot be loaded: ") + ::dlerror();
      return;
    }
    ZipLibrary& f = functions;
    loaded = find(library, "zip_error_init", f.error_init) && find(library, "zip_error_fini", f.error_fini) &&
             find(library, "zip_error_strerror", f.error_strerror) &&
             find(library, "zip_source_buffer_create", f.source_buffer_create) &&
             find(library, "zip_source_free", f.source_free) &&
             find(library, "zip_open_from_source", f.open_from_source) && find(library, "zip_discard", f.discard) &&
             find(library, "zip_get_num_entries", f.get_num_entries) && find(library, "zip_get_name", f.get_name) &&
             find(library, "zip_stat_init", f.stat_init) && find(library, "zip_stat_index", f.stat_index) &&
             find(library, "zip_fopen_index", f.fopen_index) && find(library, "zip_fread", f.fread) &&
             find(library, "zip_fclose", f.fclose);
    if (!loaded) reason = "libzip.so.4 lacks a function the .brml reader needs";
  }
};

}  // namespace

const ZipLibrary* zip_library(std::string& reason) {
  // Loaded once and never changed afterwards; C++ makes the first call's
  // initialisation safe from several threads.
  static const LoadedZipLibrary library;
  reason = library.reason;
  return library.loaded ? &library.functions : nullptr;
}

}  // namespace calvane
