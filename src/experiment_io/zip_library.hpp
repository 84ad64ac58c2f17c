// libzip, loaded at the first .brml file rather than at every start: the
// library and what it pulls in (libcrypto, libbz2) take several milliseconds
// to load, more than a small computation of calvane-sim.
#pragma once

#include <zip.h>

#include <string>

namespace calvane {

/// The libzip functions the .brml reader calls.
struct ZipLibrary {
  decltype(&::zip_error_init) error_init;
  decltype(&::zip_error_fini) error_fini;
  decltype(&::zip_error_strerror) error_strerror;
  decltype(&::zip_source_buffer_create) source_buffer_create;
  decltype(&::zip_source_free) source_free;
  decltype(&::zip_open_from_source) open_from_source;
  decltype(&::zip_discard) discard;
  decltype(&::zip_get_num_entries) get_num_entries;
  decltype(&::zip_get_name) get_name;
  decltype(&::zip_stat_init) stat_init;
  decltype(&::zip_stat_index) stat_index;
  decltype(&::zip_fopen_index) fopen_index;
  decltype(&::zip_fread) fread;
  decltype(&::zip_fclose) fclose;
};

/// The library, loaded once for the whole process (thread-safe); null when it
/// cannot be loaded, with the loader's reason in `reason`.
const ZipLibrary* zip_library(std::string& reason);

}  // namespace calvane
