#include "experiment_io/rigaku_ras_reader.hpp"

#include "experiment_io/measured_values.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

// `*KEY "value"`: the value without its quotes.
std::string header_value(std::string_view line, std::string_view key) {
  std::string_view rest = trim_view(line.substr(key.size()));
  if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
  return trim(rest);
}

void read_header_line(std::string_view line, MeasuredScan& scan, std::string& title) {
  const auto key = line.substr(0, line.find_first_of(" \t"));
  const std::string value = header_value(line, key);
  if (key == "*FILE_SAMPLE" && title.empty()) title = value;
  if (key == "*HW_XG_TARGET_NAME") scan.anode = value;
  if (key == "*HW_XG_WAVE_LENGTH_ALPHA1") scan.alpha1 = parse_double(value).value_or(0);
  if (key == "*HW_XG_WAVE_LENGTH_ALPHA2") scan.alpha2 = parse_double(value).value_or(0);
  if (key == "*MEAS_SCAN_AXIS_X") scan.name += " (" + value + ")";
}

}  // namespace

bool looks_like_ras(std::string_view head) { return head.find("*RAS_DATA_START") != std::string_view::npos; }

MeasuredReading read_rigaku_ras(const std::vector<std::string>& lines, std::string_view /*file_name*/) {
  MeasuredReading reading;
  MeasuredScan scan;
  enum class Part { Outside, Header, Points } part = Part::Outside;
  std::vector<double> values;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = trim_view(lines[i]);
    const std::string at = "line " + std::to_string(i + 1) + ": ";
    if (line.starts_with("*RAS_HEADER_START")) {
      scan = MeasuredScan{};
      scan.name = "scan " + std::to_string(reading.scans.size() + 1);
      part = Part::Header;
    } else if (line.starts_with("*RAS_HEADER_END")) {
      part = Part::Outside;
    } else if (line.starts_with("*RAS_INT_START")) {
      part = Part::Points;
    } else if (line.starts_with("*RAS_INT_END")) {
      if (scan.counts.empty()) return measured_failure(at + "a scan ends without points");
      reading.scans.push_back(std::move(scan));
      scan = MeasuredScan{};
      part = Part::Outside;
    } else if (part == Part::Header && line.starts_with("*")) {
      read_header_line(line, scan, reading.title);
    } else if (part == Part::Points && !line.empty()) {
      if (!parse_data_line(line, false, values) || values.size() < 2)
        return measured_failure(at + "a point needs an angle and an intensity");
      scan.x.push_back(values[0]);
      scan.counts.push_back(values.size() >= 3 ? values[1] * values[2] : values[1]);
    }
  }
  if (part == Part::Points) return measured_failure("the file ends inside a scan (no *RAS_INT_END)");
  if (reading.scans.empty()) return measured_failure("the file holds no *RAS_INT_START block");
  return reading;
}

}  // namespace calvane
