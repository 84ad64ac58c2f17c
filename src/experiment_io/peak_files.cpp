#include "experiment_io/peak_files.hpp"

#include <algorithm>
#include <cmath>

#include "experiment_io/binary_io.hpp"
#include "experiment_io/read_error.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

PeakReading peak_failure(std::string message) {
  PeakReading reading;
  reading.error = std::move(message);
  return reading;
}

void scale_to_strongest(ObservedPeakList& list) {
  double largest = 0;
  for (const auto& peak : list.peaks) largest = std::max(largest, peak.intensity);
  if (largest <= 0) return;
  for (auto& peak : list.peaks) peak.intensity *= 100.0 / largest;
}

namespace {

void add_peak(PeakReading& reading, double two_theta, double intensity, int h = 0, int k = 0, int l = 0) {
  ++reading.peaks_in_file;
  if (reading.list.peaks.size() >= static_cast<std::size_t>(kMaxObservedPeaks)) return;
  reading.list.peaks.push_back(ObservedPeak{h, k, l, two_theta, intensity});
}

std::string read_binary_peaks(const ByteReader& file, std::size_t offset, long long count, std::size_t record,
                              bool position_is_double, PeakReading& reading, std::string_view name) {
  if (count < 0) return read_error_message(name, "negative number of peaks");
  if (!file.has(offset, static_cast<std::size_t>(count) * record))
    return read_error_message(name, "the file ends before its last peak");
  for (long long i = 0; i < count; ++i) {
    std::size_t at = offset + static_cast<std::size_t>(i) * record;
    double position = position_is_double ? *file.f64(at) : *file.f32(at);
    double intensity = *file.f32(at + (position_is_double ? 8 : 4));
    if (!std::isfinite(position) || !std::isfinite(intensity))
      return read_error_message(name, "a peak value is not a number");
    add_peak(reading, position, intensity);
  }
  return {};
}

std::vector<std::string_view> split_at_blanks_and_commas(std::string_view line) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  auto separator = [](char c) { return c == ' ' || c == ','; };
  while (i < line.size()) {
    while (i < line.size() && separator(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !separator(line[i])) ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

}  // namespace

PeakReading read_dif_peaks(std::string_view bytes, std::string_view file_name) {
  ByteReader file(bytes);
  std::string magic = trim_right(bytes.substr(0, std::min<std::size_t>(4, bytes.size())));
  PeakReading reading;
  std::string error;
  if (magic == "DIF2") {
    auto header = file.i16(256), count = file.i16(262);
    if (!header || !count) return peak_failure(read_error_message(file_name, "the file ends inside its header"));
    std::size_t data = 256 + static_cast<std::size_t>(std::max<int>(*header, 96));
    error = read_binary_peaks(file, data, *count, 16, false, reading, file_name);
  } else if (magic == "DIF1") {
    auto count = file.i32(720), supplement = file.i32(968);
    if (!count || !supplement || !file.has(0, 1016))
      return peak_failure(read_error_message(file_name, "the file ends inside its header"));
    std::size_t data = 1016 + static_cast<std::size_t>(std::max<std::int32_t>(*supplement, 0));
    error = read_binary_peaks(file, data, *count, 24, true, reading, file_name);
  } else {
    return peak_failure(refusal_message("It seems not to be a Bruker file", file_name,
                                   "it starts with " + quoted_token(magic) + ", not DIF1 or DIF2"));
  }
  if (!error.empty()) return peak_failure(error);
  scale_to_strongest(reading.list);
  return reading;
}

PeakReading read_xfit_peaks(const std::vector<std::string>& lines, std::string_view file_name) {
  std::string header = lines.empty() ? std::string() : trim(lines[0]);
  std::size_t code = header.find("Code"), th2 = header.find("Th2");
  if (code == std::string::npos && th2 == std::string::npos)
    return peak_failure("The file " + std::string(file_name) + " seems not to be an Xfit file");
  // Positions counted from 1, 0 when absent, as the column layouts are defined.
  std::size_t c = code == std::string::npos ? 0 : code + 1, t = th2 == std::string::npos ? 0 : th2 + 1;
  PeakReading reading;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (trim_view(line).empty()) continue;
    int number = static_cast<int>(i) + 1;
    if (t > c) {
      auto position = NumberScanner(substring(line, 42, std::string::npos)).next();
      if (!position) return peak_failure(read_error_message(file_name, number, "no peak position after column 42"));
      add_peak(reading, *position, 100);
    } else {
      auto position = parse_double(substring(line, 18, 12)), intensity = parse_double(substring(line, 50, 14));
      if (!position || !intensity)
        return peak_failure(read_error_message(file_name, number, "columns 19-30 and 51-64 must hold numbers"));
      if (*intensity != 0) add_peak(reading, *position, *intensity);
    }
  }
  scale_to_strongest(reading.list);
  return reading;
}

PeakReading read_winfit_peaks(const std::vector<std::string>& lines, std::string_view file_name) {
  if (lines.empty() || !contains(lines[0], "Sample") || !contains(lines[0], "Position"))
    return peak_failure(refusal_message("It seems not a WINFIT file!", file_name, 1,
                                   "the heading must name both \"Sample\" and \"Position\""));
  PeakReading reading;
  int peak_lines = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    std::string line = trim(lines[i]);
    if (line.empty()) continue;
    if (++peak_lines > kMaxWinfitLines) {
      ++reading.peaks_in_file;  // counted as dropped
      continue;
    }
    std::replace(line.begin(), line.end(), '\t', ' ');
    std::size_t blank = line.find(' ');
    std::string_view rest = blank == std::string::npos ? std::string_view() : std::string_view(line).substr(blank);
    auto fields = split_at_blanks_and_commas(rest);
    if (fields.size() > 11) fields.resize(11);
    std::vector<double> numbers;
    for (auto field : fields) {
      auto value = parse_double(field);
      if (!value)
        return peak_failure(refusal_message("decode error", file_name, static_cast<int>(i) + 1,
                                       quoted_token(field) + " is not a number"));
      numbers.push_back(*value);
    }
    if (numbers.size() < 5)
      return peak_failure(refusal_message("decode error", file_name, static_cast<int>(i) + 1,
                                     "a peak line holds its number and at least 5 values (the 5th is the intensity)"));
    add_peak(reading, numbers[0], numbers[4]);
  }
  scale_to_strongest(reading.list);
  return reading;
}

PeakReading read_di_peaks(std::string_view bytes, std::string_view file_name) {
  constexpr std::size_t kHeader = 250, kRecord = 12;
  constexpr std::string_view kText = "It seems not to be a .RD Philips file";
  if (bytes.size() < kHeader)
    return peak_failure(refusal_message(kText, file_name,
                                   "a Philips .di peak file has a 250-byte header; this file has " +
                                       std::to_string(bytes.size()) + " bytes"));
  if ((bytes.size() - kHeader) % kRecord != 0)
    return peak_failure(refusal_message(kText, file_name,
                                   "its last 12-byte peak record is cut short (" +
                                       std::to_string((bytes.size() - kHeader) % kRecord) + " bytes)"));
  ByteReader file(bytes);
  PeakReading reading;
  for (std::size_t at = kHeader; at < bytes.size(); at += kRecord)
    add_peak(reading, *file.i16(at) * 0.005, *file.i16(at + 4));
  scale_to_strongest(reading.list);
  return reading;
}

PeakReading read_column_peaks(const std::vector<std::string>& lines, std::string_view file_name) {
  PeakReading reading;
  std::size_t columns = 0;
  bool layout_chosen = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Comment lines, as spreadsheet and script exports write them.
    if (std::string_view text = trim_view(lines[i]); !text.empty() && (text[0] == '#' || text[0] == '!' || text[0] == ';'))
      continue;
    NumberScanner scanner(lines[i]);
    std::vector<double> numbers;
    while (!scanner.at_end()) {
      auto value = scanner.next();
      if (!value) return peak_failure(read_error_message(file_name, static_cast<int>(i) + 1, "a field is not a number"));
      numbers.push_back(*value);
    }
    if (!layout_chosen) columns = numbers.size();  // the first line that is not a comment
    layout_chosen = true;
    if (numbers.empty() || numbers[0] == 0) continue;  // a blank line, or a position of 0
    double intensity = 100;
    if (columns >= 2) {
      if (numbers.size() < 2)
        return peak_failure(read_error_message(file_name, static_cast<int>(i) + 1, "the intensity is missing"));
      intensity = numbers[1];
    }
    int hkl[3] = {0, 0, 0};
    if (columns >= 2 && numbers.size() >= 5) {
      for (int j = 0; j < 3; ++j) {
        double index = numbers[static_cast<std::size_t>(2 + j)];
        if (index != std::trunc(index) || std::abs(index) > 1e6)
          return peak_failure(read_error_message(file_name, static_cast<int>(i) + 1, "h, k and l must be integers"));
        hkl[j] = static_cast<int>(index);
      }
    }
    add_peak(reading, numbers[0], intensity, hkl[0], hkl[1], hkl[2]);
  }
  return reading;
}

PeakFileKind peak_kind_from_name(std::string_view name, PeakFileKind menu_kind) {
  // The folder may hold dots of its own: only the file name counts.
  std::string lower = to_lower(file_name_of(name));
  if (contains(lower, ".dif")) return PeakFileKind::BrukerDif;
  if (contains(lower, ".txt")) return PeakFileKind::Xfit;
  if (contains(lower, ".dat")) return PeakFileKind::Winfit;
  if (contains(lower, ".di")) return PeakFileKind::PhilipsDi;
  if (contains(lower, ".prn")) return PeakFileKind::Column;
  return menu_kind;
}

PeakReading read_peak_file(PeakFileKind kind, const std::filesystem::path& path) {
  std::string name = path.filename().string();
  PeakReading reading;
  if (kind == PeakFileKind::BrukerDif || kind == PeakFileKind::PhilipsDi) {
    auto bytes = read_file_bytes(path);
    if (!bytes) return peak_failure(read_error_message(name, "the file cannot be opened"));
    reading = kind == PeakFileKind::BrukerDif ? read_dif_peaks(*bytes, name) : read_di_peaks(*bytes, name);
  } else {
    auto lines = read_text_lines(path);
    if (!lines) return peak_failure(read_error_message(name, "the file cannot be opened"));
    if (kind == PeakFileKind::Xfit)
      reading = read_xfit_peaks(*lines, name);
    else if (kind == PeakFileKind::Winfit)
      reading = read_winfit_peaks(*lines, name);
    else
      reading = read_column_peaks(*lines, name);
  }
  if (reading.ok()) reading.list.file_name = path.string();
  return reading;
}

std::optional<PeakFileKind> peak_kind_of(const std::string& extension) {
  if (extension == ".dif") return PeakFileKind::BrukerDif;
  if (extension == ".txt") return PeakFileKind::Xfit;
  if (extension == ".di") return PeakFileKind::PhilipsDi;
  if (extension == ".dat") return PeakFileKind::Winfit;
  if (extension == ".prn") return PeakFileKind::Column;
  return std::nullopt;
}

}  // namespace calvane
