#include "experiment_io/xylib_reader.hpp"

namespace calvane {

const std::vector<XylibFormat>& xylib_formats() {
  static const std::vector<XylibFormat> formats = {
      {"bruker_raw", "Bruker RAW (xylib)"},
      {"uxd", "Bruker UXD"},
      {"philips_rd", "Philips RD/SD"},
      {"philips_udf", "Philips UDF"},
      {"rigaku_dat", "Rigaku DAT"},
      {"cpi", "Sietronics CPI"},
      {"dbws", "DBWS"},
      {"riet7", "RIET7/LHPM/ILL D1A/PSI DMC"},
      {"chiplot", "ChiPLOT (Fit2D .chi)"},
      {"pdcif", "powder CIF"},
      {"xfit_xdd", "XFIT XDD"},
      {"vamas", "VAMAS"},
      {"csv", "CSV/TSV"},
      {"text", "plain x-y text"},
  };
  return formats;
}

std::vector<std::string> xylib_extensions(const XylibFormat& format) {
  return xylib_backend().extensions(format.xylib_name);
}

bool xylib_recognises(const XylibFormat& format, std::string_view bytes) {
  return xylib_backend().recognises(format.xylib_name, bytes);
}

MeasuredReading read_with_xylib(const XylibFormat& format, std::string_view bytes, bool decimal_comma) {
  return xylib_backend().read(format.xylib_name, bytes, decimal_comma);
}

}  // namespace calvane
