// The measured-pattern formats read through xylib (Debian's libxy, the
// library behind fityk), behind the same result as our own readers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "experiment_io/measured_scan.hpp"

namespace calvane {

/// One xylib format we use: xylib's name for it, and ours.
struct XylibFormat {
  const char* xylib_name;
  const char* description;
};

/// The xylib formats of powder diffraction, in the order they are tried;
/// the plain-text reader, which takes almost anything, is last.
const std::vector<XylibFormat>& xylib_formats();

/// The extensions xylib lists for the format, lower-case with the dot.
std::vector<std::string> xylib_extensions(const XylibFormat& format);

/// True when xylib's own content check accepts `bytes` as `format`.
bool xylib_recognises(const XylibFormat& format, std::string_view bytes);

/// Reads `bytes` as `format`: every block is a scan, column 1 its x axis
/// (named by the column's heading when it has one), column 2 the counts.
/// With `decimal_comma` the text formats read "12,5" as 12.5.
MeasuredReading read_with_xylib(const XylibFormat& format, std::string_view bytes,
                                bool decimal_comma = false);

/// What the three calls above go through, by xylib's format name.
struct XylibBackend {
  std::vector<std::string> (*extensions)(const char* xylib_name);
  bool (*recognises)(const char* xylib_name, std::string_view bytes);
  MeasuredReading (*read)(const char* xylib_name, std::string_view bytes, bool decimal_comma);
};

/// Defined by each program, not by this library: xylib_library.cpp calls
/// libxy linked in (the desktop, the tests, the Python module); calvane-sim
/// instead loads libxy with a module of its own at the first xylib file, so
/// that a run reading none starts without it.
const XylibBackend& xylib_backend();

}  // namespace calvane
