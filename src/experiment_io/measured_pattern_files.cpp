#include "experiment_io/measured_pattern_files.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numeric>

#include "experiment_io/bruker_brml_reader.hpp"
#include "experiment_io/bruker_raw4_reader.hpp"
#include "experiment_io/gsas_reader.hpp"
#include "experiment_io/measured_values.hpp"
#include "experiment_io/read_error.hpp"
#include "experiment_io/rigaku_ras_reader.hpp"
#include "experiment_io/xrdml_reader.hpp"
#include "experiment_io/xylib_reader.hpp"
#include "util/files.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

// One way of reading a measured pattern: its name in messages, the
// extensions that propose it, its content signature and its reader.
struct MeasuredFormat {
  std::string name;
  std::vector<std::string> extensions;
  std::function<bool(std::string_view bytes)> recognises;
  std::function<MeasuredReading(std::string_view bytes, std::string_view file_name)> read;
};

// The instrument-format readers of the menu fill a reading buffer: their points become one
// 2θ scan with the radiation the file states.
MeasuredReading from_buffer(const PatternReading& part) {
  if (!part.ok()) return measured_failure(part.error);
  const PatternReadingBuffer& b = part.buffer;
  MeasuredReading reading;
  reading.title = b.title;
  MeasuredScan& scan = reading.scans.emplace_back();
  scan.x.assign(b.angles.begin(), b.angles.end());
  // The file's own counts, so that a fit weighs them by their statistics.
  if (b.counts.size() == b.intensities.size())
    scan.counts = b.counts;
  else
    scan.counts.assign(b.intensities.begin(), b.intensities.end());
  scan.alpha1 = b.alpha1 > 0 ? b.alpha1 : b.read_wavelength;
  scan.alpha2 = b.alpha2;
  scan.ratio = b.ratio;
  scan.anode = b.anode == "?" ? "" : b.anode;
  return reading;
}

std::string_view first_line(std::string_view bytes) { return bytes.substr(0, bytes.find_first_of("\r\n")); }

bool has_magic(std::string_view bytes, std::string_view magic) {
  return trim_right(bytes.substr(0, 4)) == magic;
}

// The x axis a text file's heading or comment names ("# d  I", "TOF counts").
ScanAxis axis_from_heading(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < std::min<std::size_t>(lines.size(), 40); ++i) {
    std::string_view line = trim_view(lines[i]);
    while (!line.empty() && (line.front() == '#' || line.front() == '!' || line.front() == ';'))
      line = trim_view(line.substr(1));
    if (line.empty() || std::isdigit(static_cast<unsigned char>(line.front())) || line.front() == '-' ||
        line.front() == '.')
      continue;
    std::string_view word = line.substr(0, line.find_first_of(" \t,;"));
    if (ScanAxis axis = axis_from_name(word); axis != ScanAxis::TwoTheta) return axis;
  }
  return ScanAxis::TwoTheta;
}

MeasuredReading read_through_xylib(const XylibFormat& format, std::string_view bytes) {
  const auto lines = split_text_lines(bytes.substr(0, std::min<std::size_t>(bytes.size(), 1 << 16)));
  MeasuredReading reading = read_with_xylib(format, bytes, uses_decimal_comma(lines));
  const std::string_view name = format.xylib_name;
  if (reading.ok() && (name == "text" || name == "csv")) {
    const ScanAxis axis = axis_from_heading(lines);
    for (MeasuredScan& scan : reading.scans)
      if (scan.axis == ScanAxis::TwoTheta) scan.axis = axis;
  }
  return reading;
}

std::vector<MeasuredFormat> build_formats() {
  std::vector<MeasuredFormat> formats = {
      {"Bruker .brml", {".brml"}, looks_like_zip, read_bruker_brml},
      {"PANalytical XRDML", {".xrdml"}, looks_like_xrdml, read_xrdml},
      {"Bruker RAW v4",
       {".raw"},
       looks_like_raw4,
       [](std::string_view bytes, std::string_view name) { return read_bruker_raw4(bytes, name); }},
      {"Bruker RAW v1/v2",
       {".raw", ".sim"},
       [](std::string_view b) { return has_magic(b, "RAW") || has_magic(b, "RAW1") || has_magic(b, "RAW2"); },
       [](std::string_view bytes, std::string_view name) {
         return from_buffer(read_raw_pattern(bytes, name));
       }},
      {"Philips RD",
       {".rd"},
       [](std::string_view b) { return b.size() > 4 && b.substr(2, 2) == "RD"; },
       [](std::string_view bytes, std::string_view name) {
         return from_buffer(read_rd_pattern(bytes, name));
       }},
      {"Rigaku RAS",
       {".ras"},
       looks_like_ras,
       [](std::string_view bytes, std::string_view name) {
         return read_rigaku_ras(split_text_lines(bytes), name);
       }},
      {"Rietveld .dat",
       {".dat"},
       [](std::string_view b) { return contains(first_line(b), "SampleIdent"); },
       [](std::string_view bytes, std::string_view name) {
         return from_buffer(read_rietveld_pattern(split_text_lines(bytes), name));
       }},
      {"Sietronics CPI/CPD",
       {".cpi", ".cpd"},
       [](std::string_view b) { return contains(first_line(b), "SIETRONICS"); },
       [](std::string_view bytes, std::string_view name) {
         return from_buffer(read_cpi_pattern(split_text_lines(bytes), name));
       }},
      {"GSAS raw",
       {".gsa", ".gss", ".gsas", ".fxye", ".fxy", ".raw", ".dat"},
       looks_like_gsas_raw,
       [](std::string_view bytes, std::string_view name) {
         return read_gsas_raw(split_text_lines(bytes), name);
       }},
  };
  // xylib's extensions, from its own table, propose its formats.
  for (const XylibFormat& format : xylib_formats()) {
    std::vector<std::string> extensions = xylib_extensions(format);
    if (std::string_view(format.xylib_name) == "text")
      extensions = {".xy", ".xye", ".txt", ".dat", ".asc", ".prn"};
    formats.push_back(
        {format.description, extensions, [format](std::string_view b) { return xylib_recognises(format, b); },
         [format](std::string_view bytes, std::string_view) { return read_through_xylib(format, bytes); }});
  }
  return formats;
}

const std::vector<MeasuredFormat>& formats() {
  static const std::vector<MeasuredFormat> table = build_formats();
  return table;
}

// GSAS and GSAS-II instrument parameter files are often picked by mistake:
// they are recognised and refused as what they are.
bool is_instrument_parameter_file(std::string_view bytes) {
  const std::string_view head = bytes.substr(0, std::min<std::size_t>(bytes.size(), 4096));
  if (contains(head, "#GSAS-II instrument parameter file")) return true;
  if (contains(head, "Type:PXC") || contains(head, "Type:PNC") || contains(head, "Type:PNT")) return true;
  for (const std::string& line : split_text_lines(head))
    if (line.starts_with("INS   ") || line.starts_with("INS  1") || line.starts_with("INS   HTYPE"))
      return true;
  return false;
}

std::vector<const MeasuredFormat*> candidates_for(std::string_view file_name) {
  const std::string extension = to_lower(std::filesystem::path(std::string(file_name)).extension().string());
  std::vector<const MeasuredFormat*> proposed, others;
  for (const MeasuredFormat& format : formats()) {
    const bool by_name =
        std::find(format.extensions.begin(), format.extensions.end(), extension) != format.extensions.end();
    (by_name ? proposed : others).push_back(&format);
  }
  proposed.insert(proposed.end(), others.begin(), others.end());
  return proposed;
}

std::string cannot_read(std::string_view file_name, const std::vector<std::string>& tried) {
  std::string message = "Cannot read " + std::string(file_name) + " as a measured pattern: ";
  if (tried.empty()) {
    message += "its content matches none of the formats read here (";
    for (std::size_t i = 0; i < formats().size(); ++i) message += (i ? ", " : "") + formats()[i].name;
    return message + ")";
  }
  message += "tried ";
  for (std::size_t i = 0; i < tried.size(); ++i) message += (i ? "; " : "") + tried[i];
  return message + "; no other format recognised its content";
}

}  // namespace

const std::vector<std::string>& measured_pattern_extensions() {
  static const std::vector<std::string> extensions = [] {
    std::vector<std::string> all;
    for (const MeasuredFormat& format : formats())
      for (const std::string& extension : format.extensions)
        if (std::find(all.begin(), all.end(), extension) == all.end()) all.push_back(extension);
    return all;
  }();
  return extensions;
}

std::string measured_pattern_filter() {
  std::string patterns;
  for (const std::string& extension : measured_pattern_extensions())
    patterns += (patterns.empty() ? "*" : " *") + extension;
  std::string masks = patterns;
  std::replace(masks.begin(), masks.end(), ' ', ';');
  return "All measured patterns (" + patterns + ")|" + masks + "|All files (*)|*|";
}

MeasuredReading read_measured_bytes(std::string_view bytes, std::string_view file_name) {
  if (bytes.empty()) return measured_failure("Cannot read " + std::string(file_name) + ": the file is empty");
  if (is_instrument_parameter_file(bytes))
    return measured_failure(std::string(file_name) +
                            " is not a pattern: it is a GSAS instrument parameter file (.prm, .instprm)");
  std::vector<std::string> tried;
  for (const MeasuredFormat* format : candidates_for(file_name)) {
    if (!format->recognises(bytes)) continue;
    MeasuredReading reading = format->read(bytes, file_name);
    if (reading.ok()) return reading;
    tried.push_back(format->name + " (" + (reading.error.empty() ? "no point" : reading.error) + ")");
  }
  return measured_failure(cannot_read(file_name, tried));
}

MeasuredReading read_measured_file(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  auto bytes = read_file_bytes(path);
  if (!bytes) return measured_failure(read_error_message(name, "the file cannot be opened"));
  return read_measured_bytes(*bytes, name);
}

double stated_wavelength(const MeasuredScan& scan) { return scan.alpha1 > 0 ? scan.alpha1 : 0; }

PatternReading pattern_of_scan(const MeasuredReading& reading, std::size_t index, double wavelength,
                               std::string_view file_name) {
  PatternReading result;
  const MeasuredScan& scan = reading.scans.at(index);
  if (scan.axis == ScanAxis::TimeOfFlight || scan.axis == ScanAxis::Energy) {
    result.error = "Cannot lay " + std::string(file_name) + " over the calculated pattern: its x axis is " +
                   std::string(axis_description(scan.axis)) +
                   "; only 2theta, d-spacing and Q can be converted";
    return result;
  }
  if ((scan.axis == ScanAxis::DSpacing || scan.axis == ScanAxis::Q) && !(wavelength > 0)) {
    result.error =
        "Cannot convert " + std::string(file_name) + " to 2theta: the calculation has no wavelength";
    return result;
  }
  std::vector<std::pair<double, double>> points;
  points.reserve(scan.x.size());
  for (std::size_t i = 0; i < scan.x.size() && i < scan.counts.size(); ++i) {
    double two_theta = scan.x[i];
    if (scan.axis == ScanAxis::DSpacing) two_theta = two_theta_of_d(scan.x[i], wavelength);
    if (scan.axis == ScanAxis::Q) two_theta = measured_two_theta_of_q(scan.x[i], wavelength);
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (std::abs(two_theta) <= kLargest && std::abs(scan.counts[i]) <= kLargest)
      points.emplace_back(two_theta, scan.counts[i]);
  }
  if (points.empty()) {
    result.error = "Cannot lay " + std::string(file_name) +
                   " over the calculated pattern: no point lies below 180 degrees 2theta at " +
                   fixed(wavelength, 0, 5) + " A";
    return result;
  }
  if (!std::is_sorted(points.begin(), points.end())) std::stable_sort(points.begin(), points.end());
  PatternReadingBuffer& b = result.buffer;
  for (const auto& [angle, count] : points) {
    b.angles.push_back(static_cast<float>(angle));
    b.intensities.push_back(static_cast<float>(count));
  }
  b.title = reading.title;
  b.alpha1 = scan.alpha1;
  b.alpha2 = scan.alpha2;
  b.ratio = scan.ratio;
  b.anode = scan.anode;
  b.read_wavelength = stated_wavelength(scan);
  b.first_angle = points.front().first;
  b.last_angle = points.back().first;
  scale_pattern_intensities(b, 0);
  return result;
}

}  // namespace calvane
