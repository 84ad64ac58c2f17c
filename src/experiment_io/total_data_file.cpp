#include "experiment_io/total_data_file.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>

#include "crystallography/crystal_checks.hpp"
#include "crystallography/operators.hpp"
#include "experiment_io/read_error.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "util/text_out.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

const char* truth(bool value) { return value ? "TRUE" : "FALSE"; }

// Appends a w:d number (with more decimals up to `max_decimals` where the
// value needs them); a number that widened past its field is still separated
// from the one before by a blank, so that the file reads back.
void add_number(std::string& line, double value, int width, int decimals, int max_decimals = 0) {
  std::string text = fixed_to_precision(value, width, decimals, std::max(decimals, max_decimals));
  if (!line.empty() && line.back() != ' ' && text.front() != ' ') line += ' ';
  line += text;
}

// Decimals a wavelength's share may take beyond the classic two.
constexpr int kShareDecimals = 10;
// Translations of stored operators: thirds and sixths to well below the
// engine's tolerances.
constexpr int kTranslationDecimals = 12;

// Title to atoms: the native crystal file's lines, the atom count line
// between the cell and the atoms in the total data file. The model holds
// what a file gave at full precision, so a number takes more decimals than
// its field's where it needs them: a workspace reopens to the same crystal.
void add_crystal_lines(TextOut& out, const CurrentCrystal& crystal, bool with_atom_count) {
  out.line(crystal.title);
  out.line(crystal.system_code);
  out.line(crystal.symbol);
  std::string cell;
  for (double length : {crystal.cell.a, crystal.cell.b, crystal.cell.c}) add_number(cell, length, 9, 4, 8);
  for (double angle : {crystal.cell.alpha, crystal.cell.beta, crystal.cell.gamma}) add_number(cell, angle, 8, 3, 7);
  out.line(cell);
  if (with_atom_count) out.line(fixed(static_cast<long long>(crystal.atoms.size()), 5));
  for (const AtomSite& atom : crystal.atoms) {
    std::string line = pad_right(substring(atom.type, 0, 4), 4) + pad_right(substring(atom.label, 0, 2), 2) + " ";
    for (double coordinate : {atom.x, atom.y, atom.z}) add_number(line, coordinate, 10, 6, 10);
    add_number(line, atom.b, 9, 3, 7);
    add_number(line, atom.population, 9, 4, 8);
    out.line(line);
  }
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
    add_number(line, fraction, 8, 2, kShareDecimals);
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
  add_crystal_lines(out, phase.crystal, true);
}

void format_symmetry(TextOut& out, const std::vector<TotalDataPhase>& phases) {
  bool any = false;
  for (std::size_t p = 0; p < phases.size(); ++p) {
    if (!phases[p].keeps_operators) continue;
    if (!any) out.line("Phase symmetry");
    any = true;
    const SymmetryData& symmetry = phases[p].crystal.symmetry;
    out.line("SYMP " + fixed(static_cast<long long>(p + 1), 5) +
             fixed(static_cast<long long>(symmetry.operators.size()), 5) +
             fixed(static_cast<long long>(symmetry.centring_translations.size()), 5) + " " +
             std::string(1, symmetry.lattice_letter) + " " + truth(symmetry.centrosymmetric));
    for (const auto& translation : symmetry.centring_translations) {
      std::string line;
      for (double t : translation) add_number(line, t, 16, kTranslationDecimals);
      out.line(line);
    }
    for (std::size_t i = 0; i < symmetry.operators.size(); ++i) {
      const SymmetryOperator& op = symmetry.operators[i];
      std::string line;
      for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) add_number(line, op.r(row, column), 3, 0);
        add_number(line, op.t(row), 16, kTranslationDecimals);
      }
      if (i < symmetry.operator_texts.size()) line += "  " + symmetry.operator_texts[i];
      out.line(line);
    }
  }
}

// The shortest text that reads back as the same double.
std::string round_trip_text(double value) {
  std::array<char, 32> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  return std::string(buffer.data(), end);
}

bool phase_corrected(const TotalDataPhase& phase) {
  return phase.orientation != PreferredOrientation{} || phase.particle_radius_um != 0;
}

void format_corrections(TextOut& out, const TotalDataFile& data) {
  const SampleCorrections& corrections = data.corrections;
  const bool any_phase = std::any_of(data.phases.begin(), data.phases.end(), phase_corrected);
  if (corrections == SampleCorrections{} && !any_phase) return;
  out.line("Pattern corrections");
  std::string line = "ZERO";
  add_number(line, corrections.zero_shift_deg, 14, 8);
  out.line(line);
  line = "DISP";
  add_number(line, corrections.displacement_um, 14, 5);
  add_number(line, corrections.goniometer_radius_mm, 10, 3);
  out.line(line);
  line = "BACK" + fixed(static_cast<long long>(corrections.background.size()), 3);
  for (double coefficient : corrections.background) line += " " + round_trip_text(coefficient);
  out.line(line);
  for (std::size_t p = 0; p < data.phases.size(); ++p) {
    const TotalDataPhase& phase = data.phases[p];
    if (!phase_corrected(phase)) continue;
    line = "PHCO" + fixed(static_cast<long long>(p + 1), 3);
    for (int index : phase.orientation.direction) line += fixed(static_cast<long long>(index), 4);
    add_number(line, phase.orientation.ratio, 12, 6);
    add_number(line, phase.particle_radius_um, 12, 4);
    out.line(line);
  }
}

bool keeps_counts(const TotalDataCurve& pattern) {
  return !pattern.counts.empty() && pattern.counts.size() == pattern.points.size();
}

void format_counts(TextOut& out, const std::vector<TotalDataCurve>& patterns) {
  if (std::none_of(patterns.begin(), patterns.end(), keeps_counts)) return;
  out.line("Pattern counts");
  for (std::size_t p = 0; p < patterns.size(); ++p) {
    const TotalDataCurve& pattern = patterns[p];
    if (!keeps_counts(pattern)) continue;
    const bool with_sigma = pattern.sigma.size() == pattern.counts.size();
    out.line("CNTS" + fixed(static_cast<long long>(p + 1), 3) + " " + std::to_string(pattern.counts.size()) + " " +
             truth(with_sigma));
    for (std::size_t i = 0; i < pattern.counts.size(); ++i)
      out.line(round_trip_text(pattern.counts[i]) + (with_sigma ? " " + round_trip_text(pattern.sigma[i]) : ""));
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
  /// Whether the next non-empty line, trimmed, is `text`.
  bool next_is(std::string_view text) const {
    for (std::size_t i = next_; i < lines_.size(); ++i)
      if (!trim_view(lines_[i]).empty()) return trim_view(lines_[i]) == text;
    return false;
  }
  bool keyed_truth(std::string_view key) { return trim(keyed(key)) == "TRUE"; }
  /// A field's text, refused when the program could not compute with it.
  std::string setting_text(std::string_view key) {
    std::string text = trim(keyed(key));
    if (std::string problem = setting_text_problem(key, text); !problem.empty()) fail(problem);
    return text;
  }
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
  data.wavelength = in.setting_text("WL   ");
  data.two_theta_low = in.setting_text("2TH1 ");
  data.two_theta_high = in.setting_text("2TH2 ");
  data.u = in.setting_text("U    ");
  data.v = in.setting_text("V    ");
  data.w = in.setting_text("W    ");
  data.angle_scale = static_cast<int>(in.keyed_integer("ABSC ", 0, 2));
  data.line_index = static_cast<int>(in.keyed_integer("BOX4 ", -1, 20));
  auto count = in.integer(in.take("the number of wavelengths"), 0, kMaxWavelengths, "the number of wavelengths");
  for (long long i = 0; i < count; ++i) {
    auto pair = in.numbers(2, "a wavelength and its fraction");
    if (pair[0] <= 0) in.fail("the wavelength must be above 0");
    if (pair[1] < 0) in.fail("the fraction of a wavelength must not be negative");
    data.wavelengths.emplace_back(pair[0], pair[1]);
  }
  if (count > 0 && std::none_of(data.wavelengths.begin(), data.wavelengths.end(), [](const auto& line) { return line.second > 0; }))
    in.fail("every wavelength has the fraction 0");
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

void parse_phase_symmetry(LineCursor& in, std::vector<TotalDataPhase>& phases) {
  const std::string line = in.keyed("SYMP ");
  NumberScanner scanner(line);
  auto phase = scanner.next_integer();
  auto operators = scanner.next_integer();
  auto centrings = scanner.next_integer();
  if (!phase || *phase < 1 || *phase > static_cast<long long>(phases.size()))
    in.fail("SYMP must name a phase from 1 to " + std::to_string(phases.size()));
  if (!operators || *operators < 1 || *operators > kMaxOperators)
    in.fail("the number of operators must be a whole number from 1 to " + std::to_string(kMaxOperators));
  if (!centrings || *centrings < 0 || *centrings > 3) in.fail("the number of centring translations must be 0 to 3");
  const std::string rest = trim(scanner.rest());
  if (rest.size() < 2 || !std::isalpha(static_cast<unsigned char>(rest[0])) || rest[1] != ' ')
    in.fail("SYMP must give the lattice letter");
  TotalDataPhase& target = phases[static_cast<std::size_t>(*phase - 1)];
  if (target.keeps_operators) in.fail("the symmetry of phase " + std::to_string(*phase) + " is given twice");
  SymmetryData symmetry;
  symmetry.lattice_letter = rest[0];
  symmetry.centrosymmetric = trim(rest.substr(2)) == "TRUE";
  for (long long i = 0; i < *centrings; ++i) {
    auto t = in.numbers(3, "a centring translation");
    symmetry.centring_translations.push_back({t[0], t[1], t[2]});
  }
  for (long long i = 0; i < *operators; ++i) {
    NumberScanner row_scanner(in.take("an operator"));
    SymmetryOperator op;
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 4; ++column) {
        auto value = row_scanner.next();
        if (!value) in.fail("12 numbers are expected for an operator");
        if (column < 3 && (*value != std::round(*value) || std::fabs(*value) > 2))
          in.fail("the rotation of an operator must be whole numbers from -2 to 2");
        op.m[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = *value;
      }
    symmetry.operators.push_back(op);
    std::string text = trim(row_scanner.rest());
    symmetry.operator_texts.push_back(text.empty() ? operator_text(op) : std::string(substring(text, 0, 24)));
  }
  target.crystal.symmetry = std::move(symmetry);
  target.keeps_operators = true;
}

constexpr std::string_view kCorrectionsHeading = "Pattern corrections";
constexpr std::string_view kCountsHeading = "Pattern counts";

// The end of a section: the file's, or the heading of a later addition.
bool section_ends(const LineCursor& in, std::initializer_list<std::string_view> later) {
  return in.at_end() || std::any_of(later.begin(), later.end(), [&](std::string_view h) { return in.next_is(h); });
}

// The section that classic readers never reach; a file may end without it.
void parse_symmetry(LineCursor& in, std::vector<TotalDataPhase>& phases) {
  if (section_ends(in, {kCorrectionsHeading, kCountsHeading})) return;
  in.heading("Phase symmetry");
  while (!section_ends(in, {kCorrectionsHeading, kCountsHeading})) parse_phase_symmetry(in, phases);
}

double finite_number(LineCursor& in, NumberScanner& scanner, std::string_view what) {
  auto value = scanner.next();
  if (!value || !std::isfinite(*value)) in.fail(std::string(what) + " must be a number");
  return *value;
}

void parse_phase_correction(LineCursor& in, std::vector<TotalDataPhase>& phases) {
  const std::string line = in.keyed("PHCO ");
  NumberScanner scanner(line);
  auto phase = scanner.next_integer();
  if (!phase || *phase < 1 || *phase > static_cast<long long>(phases.size()))
    in.fail("PHCO must name a phase from 1 to " + std::to_string(phases.size()));
  TotalDataPhase& target = phases[static_cast<std::size_t>(*phase - 1)];
  for (int& index : target.orientation.direction) {
    auto value = scanner.next_integer();
    if (!value || std::llabs(*value) > 99) in.fail("PHCO must give h, k and l as whole numbers from -99 to 99");
    index = static_cast<int>(*value);
  }
  target.orientation.ratio = finite_number(in, scanner, "the March-Dollase ratio");
  target.particle_radius_um = finite_number(in, scanner, "the particle radius");
  if (!(target.orientation.ratio > 0)) in.fail("the March-Dollase ratio must be above 0");
  if (target.particle_radius_um < 0) in.fail("the particle radius must not be negative");
}

// The corrections of the calculated pattern, after the symmetry.
void parse_corrections(LineCursor& in, TotalDataFile& data) {
  if (section_ends(in, {kCountsHeading})) return;
  in.heading(kCorrectionsHeading);
  SampleCorrections& corrections = data.corrections;
  const std::string zero_line = in.keyed("ZERO ");
  NumberScanner zero(zero_line);
  corrections.zero_shift_deg = finite_number(in, zero, "the zero shift");
  const std::string displacement_line = in.keyed("DISP ");
  NumberScanner displacement(displacement_line);
  corrections.displacement_um = finite_number(in, displacement, "the displacement");
  corrections.goniometer_radius_mm = finite_number(in, displacement, "the goniometer radius");
  if (!(corrections.goniometer_radius_mm > 0)) in.fail("the goniometer radius must be above 0");
  const std::string background_line = in.keyed("BACK ");
  NumberScanner background(background_line);
  auto count = background.next_integer();
  if (!count || *count < 0 || *count > 13) in.fail("BACK must give from 0 to 13 coefficients");
  for (long long k = 0; k < *count; ++k)
    corrections.background.push_back(finite_number(in, background, "a background coefficient"));
  while (!section_ends(in, {kCountsHeading})) parse_phase_correction(in, data.phases);
}

// The measured patterns' own counts, after the corrections.
void parse_counts(LineCursor& in, std::vector<TotalDataCurve>& patterns) {
  if (in.at_end()) return;
  in.heading(kCountsHeading);
  while (!in.at_end()) {
    const std::string line = in.keyed("CNTS ");
    NumberScanner scanner(line);
    const auto pattern = scanner.next_integer();
    const auto count = scanner.next_integer();
    if (!pattern || *pattern < 1 || *pattern > static_cast<long long>(patterns.size()))
      in.fail("CNTS must name one of the observed patterns");
    TotalDataCurve& target = patterns[static_cast<std::size_t>(*pattern - 1)];
    if (!count || *count != static_cast<long long>(target.points.size()))
      in.fail("CNTS must give one count per point of its pattern");
    const bool with_sigma = contains(to_upper(line), "TRUE");
    target.counts.clear();
    target.sigma.clear();
    for (long long i = 0; i < *count; ++i) {
      NumberScanner values(in.take("a count line"));
      target.counts.push_back(finite_number(in, values, "a count"));
      if (with_sigma) target.sigma.push_back(finite_number(in, values, "a standard uncertainty"));
    }
  }
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
  format_symmetry(out, data.phases);
  format_corrections(out, data);
  format_counts(out, data.patterns);
  return out.take();
}

TotalDataReading parse_total_data_file(const std::vector<std::string>& lines, std::string_view file_name) {
  TotalDataReading reading;
  LineCursor in(lines);
  try {
    parse_settings(in, reading.data);
    for (TotalDataPhase& phase : reading.data.phases) parse_phase(in, phase);
    parse_observed(in, reading.data);
    parse_symmetry(in, reading.data.phases);
    parse_corrections(in, reading.data);
    parse_counts(in, reading.data.patterns);
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
  // A name the file system cannot hold is shortened; a NUL would cut it.
  std::replace(name.begin(), name.end(), '\0', '_');
  if (name.size() > 120) name.resize(120);
  return (name.empty() ? std::string("phase") : name) + ".cry";
}

std::string format_rebuilt_crystal_file(const CurrentCrystal& crystal) {
  TextOut out;
  add_crystal_lines(out, crystal, false);
  return out.take();
}

}  // namespace calvane
