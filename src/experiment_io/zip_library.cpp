#include "experiment_io/zip_library.hpp"

#include "util/loaded_library.hpp"

namespace calvane {

namespace {

struct LoadedZipLibrary {
  LoadedLibrary library{"libzip.so.4"};
  ZipLibrary functions{};
  bool loaded = false;

  LoadedZipLibrary() {
    ZipLibrary& f = functions;
    LoadedLibrary& l = library;
    loaded = l.find("zip_error_init", f.error_init) && l.find("zip_error_fini", f.error_fini) &&
             l.find("zip_error_strerror", f.error_strerror) &&
             l.find("zip_source_buffer_create", f.source_buffer_create) && l.find("zip_source_free", f.source_free) &&
             l.find("zip_open_from_source", f.open_from_source) && l.find("zip_discard", f.discard) &&
             l.find("zip_get_num_entries", f.get_num_entries) && l.find("zip_get_name", f.get_name) &&
             l.find("zip_stat_init", f.stat_init) && l.find("zip_stat_index", f.stat_index) &&
             l.find("zip_fopen_index", f.fopen_index) && l.find("zip_fread", f.fread) &&
             l.find("zip_fclose", f.fclose);
  }
};

}  // namespace

const ZipLibrary* zip_library(std::string& reason) {
  // Loaded once and never changed afterwards; C++ makes the first call's
  // initialisation safe from several threads.
  static const LoadedZipLibrary library;
  reason = library.library.reason();
  return library.loaded ? &library.functions : nullptr;
}

}  // namespace calvane
