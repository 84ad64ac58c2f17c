// The module that reads xylib's formats for calvane-sim (libxy and the code
// around it), so that calvane-sim starts without libxy.
#pragma once

namespace calvane::cli {

inline constexpr const char* kXylibModuleName = "calvane-sim-xylib.so";
/// The module's entry point: `const XylibBackend* calvane_xylib_backend()`.
inline constexpr const char* kXylibModuleEntry = "calvane_xylib_backend";

}  // namespace calvane::cli
