// Bruker DIFFRAC.SUITE RAW files of version 4 ("RAW4.00").
//
// Layout relied on (little-endian, as published with the open readers of
// the format): a 61-byte preamble starting "RAW4.00", then a chain of
// segments, each a 32-bit type and a 32-bit length counted from the
// segment's start. A type of 0 or 160 marks a range instead: a 160-byte
// range header with the scan type text at +32 (24 characters), the 2θ
// start at +72 and the step at +80 (64-bit floats), the point count at
// +88, the size of one data record at +136 and the size of the drive
// records that follow the header at +140 (32-bit unsigned). The data
// records come after the drive records; the first 32-bit float of each is
// the count. The chain resumes after the last record. Each range is a scan.
#pragma once

#include <string_view>

#include "experiment_io/measured_scan.hpp"

namespace calvane {

bool looks_like_raw4(std::string_view head);
MeasuredReading read_bruker_raw4(std::string_view bytes, std::string_view file_name);

}  // namespace calvane
