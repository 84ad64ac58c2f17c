#include "experiment_io/reference_peak_files.hpp"

#include <algorithm>
#include <cmath>

#include "experiment_io/measured_scan.hpp"
#include "experiment_io/measured_values.hpp"
#include "experiment_io/read_error.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

bool is_comment(std::string_view line) {
  line = trim_view(line);
  return !line.empty() && (line.front() == '#' || line.front() == '!' || line.front() == ';');
}

// Adds a stick at the 2θ of `d`; false when no angle reflects it at this wavelength.
bool add_d_peak(PeakReading& reading, double d, double intensity, int h, int k, int l, double wavelength) {
  const double two_theta = two_theta_of_d(d, wavelength);
  if (!std::isfinite(two_theta)) return false;
  ++reading.peaks_in_file;
  if (reading.list.peaks.size() < static_cast<std::size_t>(kMaxObservedPeaks))
    reading.list.peaks.push_back(ObservedPeak{h, k, l, two_theta, intensity});
  return true;
}

bool integral(double value) { return value == std::trunc(value) && std::abs(value) < 1000; }

// "d I h k l" on one line; false when the line is not one.
bool read_d_line(std::string_view text, PeakReading& reading, double wavelength) {
  std::vector<double> values;
  if (!parse_data_line(text, false, values) || values.size() < 2 || !(values[0] > 0)) return false;
  int hkl[3] = {0, 0, 0};
  if (values.size() >= 5 && integral(values[2]) && integral(values[3]) && integral(values[4]))
    for (int j = 0; j < 3; ++j) hkl[j] = static_cast<int>(values[static_cast<std::size_t>(2 + j)]);
  add_d_peak(reading, values[0], values[1], hkl[0], hkl[1], hkl[2], wavelength);
  return true;
}

std::string no_wavelength(std::string_view file_name) {
  return "Cannot place the d-spacings of " + std::string(file_name) + ": the calculation has no wavelength";
}

bool looks_like_jcpds(const std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < std::min<std::size_t>(lines.size(), 60); ++i) {
    const std::string upper = to_upper(trim_view(lines[i]));
    if (upper.starts_with("DIHKL") || upper.starts_with("D-SPACINGS") || upper.starts_with("VERSION:"))
      return true;
  }
  // Versions 1 to 3: the version alone on line 1, the name on line 2.
  const auto version = lines.empty() ? std::nullopt : parse_integer(trim_view(lines[0]));
  return version && *version >= 1 && *version <= 3 && lines.size() > 2 && !parse_double(trim_view(lines[1]));
}

bool looks_like_calibrant(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (trim_view(line).empty() || is_comment(line)) continue;
    const std::size_t hash = line.find('#');
    return hash != std::string::npos && line.find('(', hash) != std::string::npos &&
           parse_double(trim_view(std::string_view(line).substr(0, hash))).has_value();
  }
  return false;
}

bool looks_like_xfit(const std::vector<std::string>& lines) {
  return !lines.empty() && (contains(lines[0], "Code") || contains(lines[0], "Th2"));
}

bool looks_like_winfit(const std::vector<std::string>& lines) {
  return !lines.empty() && contains(lines[0], "Sample") && contains(lines[0], "Position");
}

}  // namespace

PeakReading read_jcpds_card(const std::vector<std::string>& lines, std::string_view file_name,
                            double wavelength) {
  if (!(wavelength > 0)) return peak_failure(no_wavelength(file_name));
  PeakReading reading;
  std::string name;
  const bool keyword_layout = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
    return to_upper(trim_view(line)).starts_with("VERSION:");
  });
  bool in_d_list = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = trim_view(lines[i]);
    const std::string upper = to_upper(line);
    if (keyword_layout) {
      if ((upper.starts_with("COMMENT:") || upper.starts_with("NAME:")) && name.empty())
        name = trim(line.substr(line.find(':') + 1));
      if (upper.starts_with("DIHKL:") && !read_d_line(line.substr(6), reading, wavelength))
        return peak_failure(refusal_message("Read error", file_name, static_cast<int>(i) + 1,
                                            "a DIHKL line holds d, I, h, k and l"));
      continue;
    }
    // Versions 1 to 3: the name on line 2, reflections as "d I h k l" lines.
    if (i == 1) name = trim(line);
    if (upper.starts_with("D-SPACINGS")) in_d_list = true;
    if (i < 2 || upper.starts_with("D-SPACINGS")) continue;
    std::vector<double> values;
    const bool reflection = parse_data_line(line, false, values) && values.size() >= 5 &&
                            integral(values[2]) && integral(values[3]) && integral(values[4]);
    if (reflection || (in_d_list && values.size() >= 2)) read_d_line(line, reading, wavelength);
  }
  if (reading.list.peaks.empty())
    return peak_failure(
        refusal_message("Read error", file_name,
                        "the JCPDS card lists no reflection reachable at " + fixed(wavelength, 0, 5) + " A"));
  scale_to_strongest(reading.list);
  reading.list.label = name.empty() ? std::string(file_name) : name;
  return reading;
}

PeakReading read_calibrant_list(const std::vector<std::string>& lines, std::string_view file_name,
                                double wavelength) {
  if (!(wavelength > 0)) return peak_failure(no_wavelength(file_name));
  PeakReading reading;
  std::string name;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = trim_view(lines[i]);
    if (line.empty()) continue;
    if (line.front() == '#') {
      if (name.empty()) name = trim(line.substr(1));
      continue;
    }
    const std::size_t hash = line.find('#');
    auto d = parse_double(trim_view(line.substr(0, hash)));
    if (!d || !(*d > 0))
      return peak_failure(refusal_message("Read error", file_name, static_cast<int>(i) + 1,
                                          "a calibrant line starts with its d-spacing"));
    int hkl[3] = {0, 0, 0};
    if (hash != std::string_view::npos) {
      std::string indices(line.substr(hash + 1));
      std::replace_if(
          indices.begin(), indices.end(), [](char c) { return c == '(' || c == ')' || c == ','; }, ' ');
      NumberScanner scanner(indices);
      for (int& index : hkl)
        if (auto value = scanner.next_integer(); value && std::abs(*value) < 1000)
          index = static_cast<int>(*value);
    }
    add_d_peak(reading, *d, 100, hkl[0], hkl[1], hkl[2], wavelength);
  }
  reading.list.label = name.empty() ? std::string(file_name) : name;
  return reading;
}

PeakReading read_column_list(const std::vector<std::string>& lines, std::string_view file_name,
                             double wavelength) {
  std::vector<std::string> data;
  bool d_spacings = false;
  bool heading_seen = false;
  for (const std::string& line : lines) {
    std::string_view text = trim_view(line);
    const bool comment = is_comment(text);
    const bool heading = !comment && !text.empty() && !heading_seen && data.empty() &&
                         std::isalpha(static_cast<unsigned char>(text.front()));
    if (comment || heading) {
      while (!text.empty() && (text.front() == '#' || text.front() == '!' || text.front() == ';'))
        text = trim_view(text.substr(1));
      if (data.empty() && axis_from_name(text.substr(0, text.find_first_of(" \t,;"))) == ScanAxis::DSpacing)
        d_spacings = true;
      heading_seen = heading_seen || heading;
      data.emplace_back("#");  // a comment for the column reader, keeping the line numbers of messages
      continue;
    }
    data.push_back(line);
  }
  PeakReading reading = read_column_peaks(data, file_name);
  if (!reading.ok() || !d_spacings) return reading;
  if (!(wavelength > 0)) return peak_failure(no_wavelength(file_name));
  PeakReading converted;
  for (const ObservedPeak& peak : reading.list.peaks)
    add_d_peak(converted, peak.two_theta, peak.intensity, peak.h, peak.k, peak.l, wavelength);
  return converted;
}

PeakReading read_peak_list_file(const std::filesystem::path& path, double wavelength) {
  const std::string name = path.filename().string();
  auto bytes = read_file_bytes(path);
  if (!bytes) return peak_failure(read_error_message(name, "the file cannot be opened"));
  PeakReading reading;
  const std::string extension = to_lower(path.extension().string());
  const std::string_view head = std::string_view(*bytes).substr(0, 4);
  if (head == "DIF1" || head == "DIF2" || trim_right(head) == "DIF") {
    reading = read_dif_peaks(*bytes, name);
  } else if (extension == ".di") {
    reading = read_di_peaks(*bytes, name);
  } else {
    const std::vector<std::string> lines = split_text_lines(*bytes);
    if (looks_like_jcpds(lines))
      reading = read_jcpds_card(lines, name, wavelength);
    else if (looks_like_calibrant(lines))
      reading = read_calibrant_list(lines, name, wavelength);
    else if (looks_like_winfit(lines))
      reading = read_winfit_peaks(lines, name);
    else if (looks_like_xfit(lines))
      reading = read_xfit_peaks(lines, name);
    else
      reading = read_column_list(lines, name, wavelength);
  }
  if (reading.ok()) reading.list.file_name = path.string();
  return reading;
}

const std::vector<std::string>& peak_list_extensions() {
  static const std::vector<std::string> extensions = {".dif",   ".txt", ".dat", ".di",  ".prn",
                                                      ".jcpds", ".d",   ".csv", ".pks", ".xy"};
  return extensions;
}

std::string peak_list_filter() {
  std::string patterns, masks;
  for (const std::string& extension : peak_list_extensions()) {
    patterns += (patterns.empty() ? "*" : " *") + extension;
    masks += (masks.empty() ? "*" : ";*") + extension;
  }
  return "All peak lists (" + patterns + ")|" + masks + "|All files (*)|*|";
}

}  // namespace calvane
