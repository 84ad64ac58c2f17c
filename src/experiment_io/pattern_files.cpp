#include "experiment_io/pattern_files.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "experiment_io/binary_io.hpp"
#include "experiment_io/read_error.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

// Sample texts of the binary headers are blank- or NUL-padded.
std::string clean_text(std::string_view text) {
  std::string out;
  for (char c : text) out.push_back(c == '\0' ? ' ' : c);
  return trim(out);
}

bool all_finite(std::initializer_list<double> values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

// The buffer holds 32-bit floats: a point whose angle or intensity does not
// fit one is refused rather than turned into an infinity. The reason is
// returned, empty when the point was added.
std::string_view add_point(PatternReadingBuffer& buffer, double angle, double intensity) {
  constexpr double kLargest = std::numeric_limits<float>::max();
  if (!(std::abs(angle) <= kLargest) || !(std::abs(intensity) <= kLargest)) return "a value is out of range";
  if (buffer.angles.size() >= static_cast<std::size_t>(kMaxObservedPoints))
    return "the file holds more than 2000000 points";
  buffer.angles.push_back(static_cast<float>(angle));
  buffer.intensities.push_back(static_cast<float>(intensity));
  return {};
}

}  // namespace

void scale_pattern_intensities(PatternReadingBuffer& buffer, double highest_start) {
  buffer.highest = highest_start;
  buffer.lowest = 1000000;
  buffer.counts.assign(buffer.intensities.begin(), buffer.intensities.end());
  for (float value : buffer.intensities) {
    buffer.highest = std::max(buffer.highest, static_cast<double>(value));
    buffer.lowest = std::min(buffer.lowest, static_cast<double>(value));
  }
  double span = buffer.highest - buffer.lowest;
  for (float& value : buffer.intensities)
    value = span > 0 ? static_cast<float>((value - buffer.lowest) * 100.0 / span) : 0.0f;
}

namespace {

void set_range_from_points(PatternReadingBuffer& buffer) {
  if (buffer.angles.empty()) return;
  auto [low, high] = std::minmax_element(buffer.angles.begin(), buffer.angles.end());
  buffer.first_angle = *low;
  buffer.last_angle = *high;
}

PatternReading failure(std::string message) {
  PatternReading reading;
  reading.error = std::move(message);
  return reading;
}

// Reads `count` 32-bit float intensities from `offset` on a start + k·step grid.
std::string read_float_counts(const ByteReader& file, std::size_t offset, long long count, double start,
                              double step, PatternReadingBuffer& buffer, std::string_view name) {
  if (count < 0) return read_error_message(name, "negative number of points");
  if (!file.has(offset, static_cast<std::size_t>(count) * 4))
    return read_error_message(name, "the file ends before its last point");
  for (long long k = 0; k < count; ++k) {
    double value = *file.f32(offset + static_cast<std::size_t>(k) * 4);
    if (!std::isfinite(value)) return read_error_message(name, "an intensity is not a number");
    if (auto refused = add_point(buffer, start + static_cast<double>(k) * step, value); !refused.empty())
      return read_error_message(name, refused);
  }
  return {};
}

PatternReading read_raw2(const ByteReader& file, std::string_view name) {
  PatternReading reading;
  PatternReadingBuffer& b = reading.buffer;
  auto text = file.text(8, 32);
  auto anode = file.text(188, 2);
  auto alpha1 = file.f32(190), alpha2 = file.f32(194), ratio = file.f32(198);
  auto header = file.i16(256), count = file.i16(258);
  auto step = file.f32(268), start = file.f32(272);
  if (!text || !anode || !ratio || !header || !count || !step || !start)
    return failure(read_error_message(name, "the file ends inside its header"));
  if (!all_finite({*alpha1, *alpha2, *ratio, *step, *start}))
    return failure(read_error_message(name, "a header value is not a number"));
  b.title = clean_text(*text) + " (RAW2)";
  b.anode = clean_text(*anode);
  b.alpha1 = *alpha1;
  b.alpha2 = *alpha2;
  b.ratio = *ratio;
  b.read_wavelength = b.alpha2 > 0 ? mean_doublet_wavelength(b.alpha1, b.alpha2, b.ratio) : b.alpha1;
  std::size_t data = 256 + static_cast<std::size_t>(std::max<int>(*header, 60));
  if (auto error = read_float_counts(file, data, *count, *start, *step, b, name); !error.empty()) return failure(error);
  set_range_from_points(b);
  scale_pattern_intensities(b, 0);
  return reading;
}

PatternReading read_raw(const ByteReader& file, std::string_view name) {
  PatternReading reading;
  PatternReadingBuffer& b = reading.buffer;
  auto count = file.i32(4);
  auto step = file.f32(12), start = file.f32(24);
  auto text = file.text(40, 32);
  auto alpha1 = file.f32(72), alpha2 = file.f32(76);
  if (!count || !step || !start || !text || !alpha1 || !alpha2 || !file.has(0, 156))
    return failure(read_error_message(name, "the file ends inside its header"));
  if (!all_finite({*step, *start, *alpha1, *alpha2}))
    return failure(read_error_message(name, "a header value is not a number"));
  b.title = clean_text(*text) + " (RAW)";
  b.anode = "?";
  b.alpha1 = *alpha1;
  b.alpha2 = *alpha2;
  b.read_wavelength = b.alpha1;
  if (auto error = read_float_counts(file, 156, *count, *start, *step, b, name); !error.empty()) return failure(error);
  set_range_from_points(b);
  scale_pattern_intensities(b, 0);
  return reading;
}

PatternReading read_raw1(const ByteReader& file, std::string_view name) {
  PatternReading reading;
  PatternReadingBuffer& b = reading.buffer;
  auto text = file.text(330, 32);
  auto anode = file.text(608, 4);
  auto wavelength = file.f64(616), alpha1 = file.f64(624), alpha2 = file.f64(632);
  auto start = file.f64(728), step = file.f64(888);
  auto supplement = file.i32(968);
  if (!text || !anode || !wavelength || !alpha1 || !alpha2 || !start || !step || !supplement || !file.has(0, 1016))
    return failure(read_error_message(name, "the file ends inside its header"));
  if (!all_finite({*wavelength, *alpha1, *alpha2, *start, *step}))
    return failure(read_error_message(name, "a header value is not a number"));
  b.title = clean_text(*text) + " (RAW1)";
  b.anode = clean_text(anode->substr(0, 2));
  b.read_wavelength = *wavelength;
  b.alpha1 = *alpha1;
  b.alpha2 = *alpha2;
  std::size_t data = 1016 + static_cast<std::size_t>(std::max<std::int32_t>(*supplement, 0));
  if (data > file.size()) return failure(read_error_message(name, "the file ends inside its supplementary header"));
  long long count = static_cast<long long>((file.size() - data) / 4);
  if (auto error = read_float_counts(file, data, count, *start, *step, b, name); !error.empty()) return failure(error);
  if (!b.angles.empty()) {
    b.first_angle = b.angles.front();
    b.last_angle = b.angles.back();
  }
  scale_pattern_intensities(b, -10000);
  return reading;
}

// Splits a Rietveld data line at blanks, tabs and commas.
std::vector<std::string_view> split_values(std::string_view line) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  auto separator = [](char c) { return c == ' ' || c == '\t' || c == ','; };
  while (i < line.size()) {
    while (i < line.size() && separator(line[i])) ++i;
    std::size_t start = i;
    while (i < line.size() && !separator(line[i])) ++i;
    if (i > start) tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

// One "key=value" of the Rietveld wavelength line: the text after the key
// and one separator character, up to the next blank. The line is consumed
// up to the key, so the keys are found in order.
double take_keyed_value(std::string& line, std::string_view key) {
  std::size_t at = line.find(key);
  if (at == std::string::npos) return 0;
  line.erase(0, std::min(line.size(), at + key.size() + 1));
  line = trim(line);
  std::string_view value(line);
  value = value.substr(0, value.find(' '));
  return parse_double(value).value_or(0);
}

std::string rietveld_title(const std::string& line) {
  const std::string_view key = "SampleIdent";
  std::size_t from = line.find(key) + key.size() + 1;
  std::size_t to = line.find("DataFileName");
  if (to == std::string::npos || from >= to) return {};
  return trim(std::string_view(line).substr(from, to - from));
}

}  // namespace

double mean_doublet_wavelength(double alpha1, double alpha2, double ratio) {
  if (1 + ratio == 0) return alpha1;
  return (ratio * alpha2 + alpha1) / (1 + ratio);
}

PatternReading read_raw_pattern(std::string_view bytes, std::string_view file_name) {
  ByteReader file(bytes);
  std::string magic = trim_right(bytes.substr(0, std::min<std::size_t>(4, bytes.size())));
  PatternReading reading;
  if (magic == "RAW2")
    reading = read_raw2(file, file_name);
  else if (magic == "RAW")
    reading = read_raw(file, file_name);
  else if (magic == "RAW1")
    reading = read_raw1(file, file_name);
  else
    return failure(refusal_message("Unknown file type", file_name,
                                   "it starts with " + quoted_token(bytes.substr(0, std::min<std::size_t>(7, bytes.size()))) +
                                       "; the layouts read here are RAW, RAW1 and RAW2"));
  reading.buffer.file_name = std::string(file_name);
  return reading;
}

PatternReading read_rd_pattern(std::string_view bytes, std::string_view file_name) {
  ByteReader file(bytes);
  auto version = file.text(0, 2), kind = file.text(2, 2);
  if (!kind || *kind != "RD")
    return failure(refusal_message("It seems not to be a .RD Philips file", file_name,
                                   kind ? "bytes 3 and 4 are " + quoted_token(*kind) + ", not \"RD\""
                                        : std::string("the file is shorter than 4 bytes")));
  PatternReading reading;
  PatternReadingBuffer& b = reading.buffer;
  b.file_name = std::string(file_name);
  auto anode = file.u8(85);
  auto alpha1 = file.f64(94), alpha2 = file.f64(102), ratio = file.f64(110);
  auto text = file.text(146, 20);
  auto step = file.f64(214), start = file.f64(222), end = file.f64(230);
  if (!anode || !alpha1 || !alpha2 || !ratio || !text || !step || !start || !end)
    return failure(read_error_message(file_name, "the file ends inside its header"));
  if (!all_finite({*alpha1, *alpha2, *ratio, *step, *start, *end}))
    return failure(read_error_message(file_name, "a header value is not a number"));
  static constexpr const char* kAnodes[] = {"Cu", "Mo", "Co", "Fe", "Cr"};
  if (*anode < 5) b.anode = kAnodes[*anode];
  b.alpha1 = *alpha1;
  b.alpha2 = *alpha2;
  b.ratio = *ratio;
  b.read_wavelength = mean_doublet_wavelength(b.alpha1, b.alpha2, b.ratio);
  b.title = clean_text(*text);
  b.first_angle = *start;
  b.last_angle = *end;
  std::size_t data = *version == "V5" ? 810 : 250;
  double points = *step != 0 ? std::round((*end - *start) / *step) + 1 : 0;
  if (!(points >= 1) || !file.has(data, static_cast<std::size_t>(std::min(points, 1e12)) * 2))
    return failure(read_error_message(file_name, "the file ends before its last point"));
  auto count = static_cast<long long>(points);
  for (long long k = 0; k < count; ++k) {
    double value = *file.i16(data + static_cast<std::size_t>(k) * 2) * 0.1;
    if (auto refused = add_point(b, *start + static_cast<double>(k) * *step, value * value); !refused.empty())
      return failure(read_error_message(file_name, refused));
  }
  scale_pattern_intensities(b, 0);
  return reading;
}

bool rietveld_lacks_wavelength(const std::vector<std::string>& lines) {
  return lines.empty() || trim_view(lines.front()).empty();
}

PatternReading read_rietveld_pattern(const std::vector<std::string>& lines, std::string_view file_name) {
  PatternReading reading;
  PatternReadingBuffer& b = reading.buffer;
  b.file_name = std::string(file_name);
  if (!rietveld_lacks_wavelength(lines)) {
    const std::string& first = lines[0];
    if (!contains(first, "SampleIdent"))
      return failure(refusal_message("Error while reading the wavelength in Rietveld File", file_name, 1,
                                     "the first line holds no \"SampleIdent\""));
    b.title = rietveld_title(first);
    if (lines.size() < 3) return failure(read_error_message(file_name, 3, "the wavelength line is missing"));
    std::string line = lines[2];
    b.alpha1 = take_keyed_value(line, "Alpha1");
    b.alpha2 = take_keyed_value(line, "Alpha2");
    b.ratio = take_keyed_value(line, "Ratio");
    b.read_wavelength = mean_doublet_wavelength(b.alpha1, b.alpha2, b.ratio);
  }
  if (lines.size() < 5) return failure(read_error_message(file_name, 5, "the angular range is missing"));
  NumberScanner range(lines[4]);
  auto start = range.next(), step = range.next(), end = range.next();
  if (!start || !step || !end)
    return failure(read_error_message(file_name, 5, "start, step and end must be numbers"));
  b.first_angle = *start;
  b.last_angle = *end;
  for (std::size_t i = 5; i < lines.size(); ++i) {
    for (std::string_view token : split_values(lines[i])) {
      auto value = parse_double(token);
      if (!value)
        return failure(refusal_message("Read error!", file_name, static_cast<int>(i) + 1,
                                       quoted_token(token) + " is not a number"));
      if (auto refused = add_point(b, *start + static_cast<double>(b.angles.size()) * *step, *value); !refused.empty())
        return failure(read_error_message(file_name, static_cast<int>(i) + 1, refused));
    }
  }
  scale_pattern_intensities(b, 0);
  return reading;
}

PatternReading read_cpi_pattern(const std::vector<std::string>& lines, std::string_view file_name) {
  PatternReading reading;
  PatternReadingBuffer& b = reading.buffer;
  b.file_name = std::string(file_name);
  if (lines.size() < 10) return failure(read_error_message(file_name, "the file ends inside its header"));
  auto start = parse_double(lines[1]), end = parse_double(lines[2]), step = parse_double(lines[3]);
  if (!start) return failure(read_error_message(file_name, 2, "the start angle is not a number"));
  if (!end) return failure(read_error_message(file_name, 3, "the end angle is not a number"));
  if (!step) return failure(read_error_message(file_name, 4, "the step is not a number"));
  auto wavelength = NumberScanner(lines[5]).next();
  if (!wavelength) return failure(read_error_message(file_name, 6, "the wavelength is not a number"));
  b.anode = std::string(substring(trim_view(lines[4]), 0, 2));
  b.read_wavelength = *wavelength;
  std::size_t ident = lines[8].find("SampleIdent");
  b.title = ident == std::string::npos ? trim(lines[8]) : trim(std::string_view(lines[8]).substr(ident + 11));
  b.first_angle = *start;
  b.last_angle = *end;
  for (std::size_t i = 10; i < lines.size(); ++i) {
    if (trim_view(lines[i]).empty()) continue;
    auto value = parse_double(lines[i]);
    if (!value) return failure(read_error_message(file_name, static_cast<int>(i) + 1, "the intensity is not a number"));
    if (auto refused = add_point(b, *start + static_cast<double>(b.angles.size()) * *step, *value); !refused.empty())
      return failure(read_error_message(file_name, static_cast<int>(i) + 1, refused));
  }
  scale_pattern_intensities(b, 0);
  return reading;
}

PatternReading read_pattern_file(PatternFileKind kind, const std::filesystem::path& path) {
  std::string name = path.filename().string();
  bool binary = kind == PatternFileKind::BrukerRaw || kind == PatternFileKind::NativeSim ||
                kind == PatternFileKind::PhilipsRd;
  PatternReading reading;
  if (binary) {
    auto bytes = read_file_bytes(path);
    if (!bytes) return failure(read_error_message(name, "the file cannot be opened"));
    reading = kind == PatternFileKind::PhilipsRd ? read_rd_pattern(*bytes, name) : read_raw_pattern(*bytes, name);
  } else {
    auto lines = read_text_lines(path);
    if (!lines) return failure(read_error_message(name, "the file cannot be opened"));
    reading = kind == PatternFileKind::Rietveld ? read_rietveld_pattern(*lines, name) : read_cpi_pattern(*lines, name);
  }
  if (reading.ok()) reading.buffer.file_name = path.string();
  return reading;
}

std::optional<PatternFileKind> pattern_kind_of(const std::string& extension) {
  if (extension == ".raw") return PatternFileKind::BrukerRaw;
  if (extension == ".rd") return PatternFileKind::PhilipsRd;
  if (extension == ".sim") return PatternFileKind::NativeSim;
  if (extension == ".dat") return PatternFileKind::Rietveld;
  if (extension == ".cpi") return PatternFileKind::Cpi;
  if (extension == ".cpd") return PatternFileKind::Cpd;
  return std::nullopt;
}

}  // namespace calvane
