// GSAS raw powder data files (STD, ESD, FXY and FXYE layouts).
//
// Layout relied on (GSAS manual, Larson & Von Dreele, LAUR 86-748, "Raw
// data file"): line 1 is the title; comment lines may follow ("#" or
// "Instrument parameter ..."); then a bank line
//   BANK ibank nchan nrec bintyp bcoef1 bcoef2 bcoef3 bcoef4 [type]
// For constant-wavelength data bintyp is CONST: bcoef1 is the first 2θ and
// bcoef2 the step, both in centidegrees. Time-of-flight banks (bintyp
// TIME_MAP, RALF or SLOG) are recognised and refused. The points follow in
// 80-character records: STD (the default) holds ten 8-character fields
// "nnIIIIII", a 2-digit count of averaged readings and the intensity; ESD
// five pairs of 8-character intensity and standard deviation; FXY and
// FXYE free-format lines of 2θ (centidegrees), intensity and, for FXYE, its
// standard deviation. Every bank is a scan.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "experiment_io/measured_scan.hpp"

namespace calvane {

bool looks_like_gsas_raw(std::string_view head);
MeasuredReading read_gsas_raw(const std::vector<std::string>& lines, std::string_view file_name);

}  // namespace calvane
