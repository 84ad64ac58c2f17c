// Rigaku SmartLab .ras text files.
//
// Layout relied on (Rigaku's RAS text format as written by SmartLab
// Guidance): blocks from "*RAS_DATA_START" to "*RAS_DATA_END", one per
// scan. A block's header, between "*RAS_HEADER_START" and
// "*RAS_HEADER_END", holds lines `*KEY "value"`; those read here are
// *FILE_SAMPLE (sample name), *HW_XG_TARGET_NAME (anode),
// *HW_XG_WAVE_LENGTH_ALPHA1 and *HW_XG_WAVE_LENGTH_ALPHA2 (Å),
// *MEAS_SCAN_AXIS_X (the scanned axis) and *MEAS_SCAN_UNIT_X. The points,
// between "*RAS_INT_START" and "*RAS_INT_END", are lines of angle,
// intensity and an optional attenuation factor that multiplies the
// intensity.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "experiment_io/measured_scan.hpp"

namespace calvane {

bool looks_like_ras(std::string_view head);
MeasuredReading read_rigaku_ras(const std::vector<std::string>& lines, std::string_view file_name);

}  // namespace calvane
