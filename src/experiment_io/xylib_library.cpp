// The xylib formats read through libxy linked into the program: the desktop,
// the tests, the Python module and calvane-sim's xylib module.
#include "experiment_io/xylib_reader.hpp"

#include <xylib/xylib.h>

#include <algorithm>
#include <memory>
#include <sstream>

#include "util/text.hpp"

namespace calvane {

namespace {

// The meta-data keys under which xylib's formats report the wavelength.
double meta_wavelength(const xylib::MetaData& meta, std::initializer_list<const char*> keys) {
  for (const char* key : keys)
    if (meta.has_key(key))
      if (auto value = parse_double(trim(meta.get(key))); value && *value > 0) return *value;
  return 0;
}

MeasuredScan scan_of_block(const xylib::Block& block, const xylib::DataSet& data, int number) {
  MeasuredScan scan;
  scan.name = block.get_name().empty() ? "block " + std::to_string(number) : block.get_name();
  const xylib::Column& x = block.get_column(1);
  const xylib::Column& y = block.get_column(2);
  scan.axis = axis_from_name(x.get_name());
  const int count = block.get_point_count();
  scan.x.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) {
    scan.x.push_back(x.get_value(i));
    scan.counts.push_back(y.get_value(i));
  }
  for (const xylib::MetaData* meta : {&block.meta, &data.meta}) {
    if (scan.alpha1 == 0)
      scan.alpha1 = meta_wavelength(*meta, {"ALPHA1", "alpha1", "wavelength", "WL1", "lambda"});
    if (scan.alpha2 == 0) scan.alpha2 = meta_wavelength(*meta, {"ALPHA2", "alpha2", "WL2"});
    if (scan.ratio == 0) scan.ratio = meta_wavelength(*meta, {"ALPHA_RATIO", "ratio"});
  }
  return scan;
}

std::vector<std::string> extensions_of(const char* xylib_name) {
  std::vector<std::string> extensions;
  const xylibFormat* info = xylib_get_format_by_name(xylib_name);
  if (!info || !info->exts) return extensions;
  std::string_view words = info->exts;
  while (!words.empty()) {
    const std::size_t end = std::min(words.find(' '), words.size());
    if (end > 0) extensions.push_back("." + to_lower(words.substr(0, end)));
    words.remove_prefix(std::min(end + 1, words.size()));
  }
  return extensions;
}

bool recognises(const char* xylib_name, std::string_view bytes) {
  const xylib::FormatInfo* info =
      static_cast<const xylib::FormatInfo*>(xylib_get_format_by_name(xylib_name));
  if (!info) return false;
  std::istringstream stream{std::string(bytes)};
  try {
    return xylib::check_format(info, stream, nullptr);
  } catch (const std::exception&) {
    return false;
  }
}

MeasuredReading read(const char* xylib_name, std::string_view bytes, bool decimal_comma) {
  const xylib::FormatInfo* info =
      static_cast<const xylib::FormatInfo*>(xylib_get_format_by_name(xylib_name));
  if (!info) return measured_failure("this xylib has no reader for it");
  const bool comma_option =
      decimal_comma && info->valid_options &&
      std::string_view(info->valid_options).find("decimal-comma") != std::string_view::npos;
  std::unique_ptr<xylib::DataSet> data;
  try {
    data.reset(
        xylib::load_string(std::string(bytes), xylib_name, comma_option ? "decimal-comma" : ""));
  } catch (const std::exception& error) {
    return measured_failure(trim(error.what()));
  }
  MeasuredReading reading;
  if (data->meta.has_key("title")) reading.title = trim(data->meta.get("title"));
  for (int b = 0; b < data->get_block_count(); ++b) {
    const xylib::Block& block = *data->get_block(b);
    if (block.get_column_count() < 2 || block.get_point_count() <= 0) continue;
    reading.scans.push_back(scan_of_block(block, *data, b + 1));
  }
  if (reading.scans.empty()) return measured_failure("no block with an x and a y column");
  return reading;
}

}  // namespace

const XylibBackend& xylib_backend() {
  static constexpr XylibBackend linked{extensions_of, recognises, read};
  return linked;
}

}  // namespace calvane
