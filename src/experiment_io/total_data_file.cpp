#include "experiment_io/total_data_file.hpp"

#include <algorithm>

#include "crystallography/crystal_checks.hpp"
#include "experiment_io/read_error.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "util/text_out.hpp"
#include "workspace/limits.hpp"

namespace calvane {

namespace {

const char* truth(bool value) { return value ? "TRUE" : "FALSE"; }

// Appends a w:d number; a number that widened past its field is still
// separated from the one before by a blank, so that the file reads back.
void add_number(std::string& line, double value, int width, int decimals) {
  std::string text = fixed(value, width, decimals);
  if (!line.empty() && line.back() != ' ' && text.front() != ' ') line += ' ';
  line += text;
}

void format_settings(TextOut& out, const TotalDataFile& data) {
  out.line(data.neutrons ? "Experimental data for Neutrons" : "Experimental data for Xrays");
  out.line("WL   " + trim(data.wavelength));
  out.line("2TH1 " + trim(data.two_theta_low));
  out.line("2TH2 " + trim(data.two_theta_high));
  out.line("U    " + trim(data.u));
  out.line("V    " + trim(data.v));
  out.line("W    " + trim(data.w));
  out.line("ABSC " + std::to_string(data.angle_scale));
  out.line("BOX4 " + std::to_string(data.line_index));
  out.line(fixed(static_cast<long long>(data.wavelengths.size()), 5));
  for (auto [wavelength, fraction] : data.wavelengths) {
    std::string line;
    add_number(line, wavelength, 8, 5);
    add_number(line, fraction, 8, 2);
    out.line(line);
  }
  out.line("Phases data");
  out.line("PhNb " + fixed(static_cast<long long>(data.phases.size()), 5));
  out.line(std::string("DSUM ") + truth(data.draw_sum));
  out.line("%W/M " + std::to_string(data.percent_mode));
  out.line("ColS " + fixed(static_cast<long long>(data.sum_colour), 8));
  out.line("PENS " + fixed(static_cast<long long>(data.sum_pen_width), 8));
  out.line("STYS " + fixed(static_cast<long long>(data.sum_pen_style), 8));
  out.line("ColB " + fixed(static_cast<long long>(data.background_colour), 8));
  out.line("ColF " + std::to_string(data.text_colour));
}

void format_phase(TextOut& out, const TotalDataPhase& phase) {
  out.line();
  out.line("NAME " + phase.file_path);
  out.line(std::string("DRAW ") + truth(phase.draw));
  out.line(std::string("HKL  ") + truth(phase.show_hkl));
  out.line("COLO " + fixed(static_cast<long long>(phase.colour), 10));
  out.line("PENW " + fixed(static_cast<long long>(phase.pen_width), 10));
  out.line("STYL " + fixed(static_cast<long long>(phase.pen_style), 10));
  out.line("PCEN " + phase.fraction);
  out.line("SIZE " + phase.size);
  out.line("dd/d " + phase.strain);
  const CurrentCrystal& crystal = phase.crystal;
  out.line(crystal.title);
  out.line(crystal.system_code);
  out.line(crystal.symbol);
  std::string cell;
  for (double length : {crystal.cell.a, crystal.cell.b, crystal.cell.c}) add_number(cell, length, 9, 4);
  for (double angle : {crystal.cell.alpha, crystal.cell.beta, crystal.cell.gamma}) add_number(cell, angle, 8, 3);
  out.line(cell);
  out.line(fixed(static_cast<long long>(crystal.atoms.size()), 5));
  for (const AtomSite& atom : crystal.atoms) {
    std::string line = pad_right(substring(atom.type, 0, 4), 4) + pad_right(substring(atom.label, 0, 2), 2) + " ";
    for (double coordinate : {atom.x, atom.y, atom.z}) add_number(line, coordinate, 10, 6);
    add_number(line, atom.b, 9, 3);
    add_number(line, atom.population, 9, 4);
    out.line(line);
  }
}

void format_curve_header(TextOut& out, const TotalDataCurve& curve, int count_width) {
  out.line();
  out.line("NOMF " + trim(curve.name));
  out.line("PENW " + std::to_string(curve.pen_width));
  out.line("STYL " + std::to_string(curve.pen_style));
  out.line("COUL " + std::to_string(curve.colour));
  out.line(std::string("PLOT ") + truth(curve.draw));
  out.line(fixed(static_cast<long long>(curve.points.size()), count_width));
}

void format_pattern(TextOut& out, const TotalDataCurve& pattern) {
  format_curve_header(out, pattern, 6);
  std::string line;
  for (std::size_t i = 0; i < pattern.points.size(); ++i) {
    add_number(line, pattern.points[i].first, 8, 3);
    add_number(line, pattern.points[i].second, 8, 3);
    if (i % 5 == 4 || i + 1 == pattern.points.size()) {
      out.line(line);
      line.clear();
    }
  }
}

void format_peak_list(TextOut& out, const TotalDataCurve& list) {
  format_curve_header(out, list, 6);
  for (auto [position, intensity] : list.points) {
    std::string line;
    add_number(line, position, 8, 3);
    add_number(line, intensity, 8, 3);
    out.line(line);
  }
}

// ---- reading -------------------------------------------------------------

struct Malformed {
  int line;
  std::string what;
};

class LineCursor {
public:
  explicit LineCursor(const std::vector<std::string>& lines) : lines_(lines) {}

  int number() const { return static_cast<int>(next_); }  // 1-based number of the last line taken
  bool at_end() const {
    for (std::size_t i = next_; i < lines_.size(); ++i)
      if (!trim_view(lines_[i]).empty()) return false;
    return true;
  }

  const std::string& take(std::string_view what) {
    if (next_ >= lines_.size()) throw Malformed{static_cast<int>(next_) + 1, "the file ends before " + std::string(what)};
    return lines_[next_++];
  }
  void blank() {
    if (!trim_view(take("an empty line")).empty()) fail("an empty line is expected");
  }
  void heading(std::string_view text) {
    if (trim(take(text)) != text) fail("\"" + std::string(text) + "\" is expected");
  }
  /// The rest of a line that starts with the five-character key.
  std::string keyed(std::string_view key) {
    const std::string& line = take(trim_right(key) + " line");
    if (trim_right(substring(line, 0, 5)) != trim_right(key)) fail("\"" + trim_right(key) + "\" is expected");
    return std::string(substring(line, 5, std::string::npos));
  }
  long long integer(std::string_view text, long long low, long long high, std::string_view what) {
    auto value = parse_integer(text);
    if (!value || *value < low || *value > high)
      fail(std::string(what) + " must be a whole number from " + std::to_string(low) + " to " + std::to_string(high));
    return *value;
  }
  long long keyed_integer(std::string_view key, long long low, long long high) {
    return integer(keyed(key), low, high, trim_right(key));
  }
  bool keyed_truth(std::string_view key) { return trim(keyed(key)) == "TRUE"; }
  std::string keyed_number_text(std::string_view key) {
    std::string text = keyed(key);
    if (!parse_double(text)) fail(trim_right(key) + " must be a number");
    return text;
  }
  /// Exactly `count` numbers on the next line.
  std::vector<double> numbers(std::size_t count, std::string_view what) {
    NumberScanner scanner(take(what));
    std::vector<double> values;
    while (values.size() < count) {
      auto value = scanner.next();
      if (!value) fail(std::to_string(count) + " numbers are expected for " + std::string(what));
      values.push_back(*value);
    }
    if (!scanner.at_end()) fail("more than " + std::to_string(count) + " numbers for " + std::string(what));
    return values;
  }
  [[noreturn]] void fail(std::string what) const { throw Malformed{number(), std::move(what)}; }

private:
  const std::vector<std::string>& lines_;
  std::size_t next_ = 0;
};

void parse_settings(LineCursor& in, TotalDataFile& data) {
  const std::string& heading = in.take("the heading");
  if (!contains(heading, "Experimental data")) in.fail("\"Experimental data for\" is expected");
  data.neutrons = contains(to_lower(substring(heading, 22, std::string::npos)), "neutrons");
  data.wavelength = trim(in.keyed("WL   "));
  data.two_theta_low = trim(in.keyed("2TH1 "));
  data.two_theta_high = trim(in.keyed("2TH2 "));
  data.u = trim(in.keyed("U    "));
  data.v = trim(in.keyed("V    "));
  data.w = trim(in.keyed("W    "));
  data.angle_scale = static_cast<int>(in.keyed_integer("ABSC ", 0, 2));
  data.line_index = static_cast<int>(in.keyed_integer("BOX4 ", -1, 20));
  auto count = in.integer(in.take("the number of wavelengths"), 0, kMaxWavelengths, "the number of wavelengths");
  for (long long i = 0; i < count; ++i) {
    auto pair = in.numbers(2, "a wavelength and its fraction");
    data.wavelengths.emplace_back(pair[0], pair[1]);
  }
  in.heading("Phases data");
  data.phases.resize(static_cast<std::size_t>(in.keyed_integer("PhNb ", 0, kMaxPhases)));
  data.draw_sum = in.keyed_truth("DSUM ");
  data.percent_mode = static_cast<int>(in.keyed_integer("%W/M ", 0, 1));
  data.sum_colour = static_cast<std::uint32_t>(in.keyed_integer("ColS ", 0, UINT32_MAX));
  data.sum_pen_width = static_cast<int>(in.keyed_integer("PENS ", 0, 1000));
  data.sum_pen_style = static_cast<int>(in.keyed_integer("STYS ", 0, 100));
  data.background_colour = static_cast<std::uint32_t>(in.keyed_integer("ColB ", 0, UINT32_MAX));
  data.text_colour = static_cast<std::uint32_t>(in.keyed_integer("ColF ", 0, UINT32_MAX));
}

AtomSite parse_atom(LineCursor& in) {
  const std::string& line = in.take("an atom line");
  AtomSite atom;
  atom.type = trim(substring(line, 0, 4));
  atom.label = trim(substring(line, 4, 2));
  if (atom.type.empty()) in.fail("the atom type is missing");
  NumberScanner scanner(substring(line, 6, std::string::npos));
  double* fields[] = {&atom.x, &atom.y, &atom.z, &atom.b, &atom.population};
  for (double* field : fields) {
    auto value = scanner.next();
    if (!value) in.fail("x, y, z, B and occupancy must be numbers");
    *field = *value;
  }
  if (!scanner.at_end()) in.fail("more than five numbers on an atom line");
  if (std::string reason = impossible_occupancy_reason(atom.population); !reason.empty()) in.fail(reason);
  return atom;
}

void parse_phase(LineCursor& in, TotalDataPhase& phase) {
  static constexpr std::string_view kSystems[] = {"CUBI", "TETR", "QUAD", "ORTH", "HEXA", "RHOM", "MONO", "TRIC"};
  in.blank();
  phase.file_path = in.keyed("NAME ");
  phase.draw = in.keyed_truth("DRAW ");
  phase.show_hkl = in.keyed_truth("HKL  ");
  phase.colour = static_cast<std::uint32_t>(in.keyed_integer("COLO ", 0, UINT32_MAX));
  phase.pen_width = static_cast<int>(in.keyed_integer("PENW ", 0, 1000));
  phase.pen_style = static_cast<int>(in.keyed_integer("STYL ", 0, 100));
  phase.fraction = in.keyed_number_text("PCEN ");
  phase.size = in.keyed_number_text("SIZE ");
  phase.strain = in.keyed_number_text("dd/d ");
  CurrentCrystal& crystal = phase.crystal;
  crystal.title = in.take("the crystal title");
  crystal.system_code = trim(in.take("the crystal system"));
  if (std::find(std::begin(kSystems), std::end(kSystems), crystal.system_code) == std::end(kSystems))
    in.fail("the crystal system must be one of CUBI, TETR, ORTH, HEXA, RHOM, MONO, TRIC");
  crystal.symbol = std::string(substring(trim(in.take("the space-group symbol")), 0, kSymbolLength));
  auto cell = in.numbers(6, "the cell");
  crystal.cell.a = cell[0];
  crystal.cell.b = cell[1];
  crystal.cell.c = cell[2];
  crystal.cell.alpha = cell[3];
  crystal.cell.beta = cell[4];
  crystal.cell.gamma = cell[5];
  if (std::string reason = impossible_cell_reason(crystal.cell); !reason.empty()) in.fail("impossible cell: " + reason);
  auto atoms = in.integer(in.take("the number of atoms"), 0, kMaxAtoms, "the number of atoms");
  for (long long i = 0; i < atoms; ++i) crystal.atoms.push_back(parse_atom(in));
}

TotalDataCurve parse_curve_header(LineCursor& in, long long max_points, std::size_t max_name) {
  TotalDataCurve curve;
  in.blank();
  curve.name = std::string(substring(trim(in.keyed("NOMF ")), 0, max_name));
  curve.pen_width = static_cast<int>(in.keyed_integer("PENW ", 0, 1000));
  curve.pen_style = static_cast<int>(in.keyed_integer("STYL ", 0, 100));
  curve.colour = static_cast<std::uint32_t>(in.keyed_integer("COUL ", 0, UINT32_MAX));
  curve.draw = in.keyed_truth("PLOT ");
  curve.points.resize(static_cast<std::size_t>(in.integer(in.take("the number of points"), 0, max_points, "the number of points")));
  return curve;
}

TotalDataCurve parse_pattern(LineCursor& in) {
  TotalDataCurve pattern = parse_curve_header(in, kMaxObservedPoints, 50);
  for (std::size_t first = 0; first < pattern.points.size(); first += 5) {
    std::size_t pairs = std::min<std::size_t>(5, pattern.points.size() - first);
    auto values = in.numbers(2 * pairs, "the points");
    for (std::size_t j = 0; j < pairs; ++j) pattern.points[first + j] = {values[2 * j], values[2 * j + 1]};
  }
  return pattern;
}

TotalDataCurve parse_peak_list(LineCursor& in) {
  TotalDataCurve list = parse_curve_header(in, kMaxObservedPeaks, std::string::npos);
  for (auto& peak : list.points) {
    auto values = in.numbers(2, "a peak");
    peak = {values[0], values[1]};
  }
  return list;
}

void parse_observed(LineCursor& in, TotalDataFile& data) {
  in.heading("Observed patterns");
  auto patterns = in.keyed_integer("NBOB ", 0, kMaxObservedPatterns);
  for (long long i = 0; i < patterns; ++i) data.patterns.push_back(parse_pattern(in));
  if (in.at_end()) return;
  in.heading("Observed peaks");
  if (in.at_end()) return;
  auto lists = in.keyed_integer("NBPI ", 0, kMaxObservedPeakLists);
  for (long long i = 0; i < lists; ++i) data.peak_lists.push_back(parse_peak_list(in));
}

}  // namespace

std::uint32_t colour_number(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 | static_cast<std::uint32_t>(blue) << 16;
}

std::string format_total_data_file(const TotalDataFile& data) {
  TextOut out;
  format_settings(out, data);
  for (const TotalDataPhase& phase : data.phases) format_phase(out, phase);
  out.line("Observed patterns");
  out.line("NBOB " + std::to_string(data.patterns.size()));
  for (const TotalDataCurve& pattern : data.patterns) format_pattern(out, pattern);
  out.line("Observed peaks");
  out.line("NBPI " + std::to_string(data.peak_lists.size()));
  for (const TotalDataCurve& list : data.peak_lists) format_peak_list(out, list);
  return out.take();
}

TotalDataReading parse_total_data_file(const std::vector<std::string>& lines, std::string_view file_name) {
  TotalDataReading reading;
  LineCursor in(lines);
  try {
    parse_settings(in, reading.data);
    for (TotalDataPhase& phase : reading.data.phases) parse_phase(in, phase);
    parse_observed(in, reading.data);
  } catch (const Malformed& malformed) {
    reading.data = TotalDataFile{};
    reading.error = read_error_message(file_name, malformed.line, malformed.what);
  }
  return reading;
}

std::string rebuilt_crystal_file_name(std::string_view phase_path) {
  std::string name = file_name_of(phase_path);
  name.resize(name.size() >= 4 ? name.size() - 4 : 0);
  for (std::size_t at; (at = name.find("_mp")) != std::string::npos;) name.erase(at, 3);
  return name + "_mp.cry";
}

std::string rebuilt_peak_file_name(std::string_view list_name) {
  std::string name = file_name_of(list_name);
  return name.substr(0, name.find('.')) + "_mp.prn";
}

std::string format_rebuilt_peak_file(const TotalDataCurve& list) {
  TextOut out;
  for (auto [position, intensity] : list.points) {
    std::string line;
    add_number(line, position, 10, 3);
    add_number(line, intensity, 10, 3);
    out.line(line);
  }
  return out.take();
}

}  // namespace calvane
