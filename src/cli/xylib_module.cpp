// calvane-sim-xylib.so: libxy's readers behind one entry point.
#include "cli/xylib_module.hpp"
#include "experiment_io/xylib_reader.hpp"

extern "C" __attribute__((visibility("default"))) const calvane::XylibBackend* calvane_xylib_backend() {
  return &calvane::xylib_backend();
}
