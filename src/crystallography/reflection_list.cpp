#include "crystallography/reflection_list.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <string>
#include <unordered_map>

#include "util/message_sink.hpp"
#include "util/text.hpp"
#include "model/limits.hpp"

namespace calvane {

namespace {

constexpr double kHalfTwoThetaToRadians = 0.008726658370523442;  // 2θ in degrees to θ in radians
constexpr double kRadiansToTwoTheta = 114.591559;
constexpr double kMergeTolerance = 0.0001;  // Å: equivalent reflections have the same d
constexpr double kPhaseTolerance = 1e-3;    // turns; operator translations are multiples of 1/12 or 1/8
// Guards against enumeration regions that cannot end in a usable list.
constexpr double kMaxEnumerationBox = 2e8;
constexpr std::size_t kMaxCandidates = 64 * static_cast<std::size_t>(kMaxEngineReflections);

using RotationSet = std::vector<IntegerRotation>;

IntegerRotation rounded_rotation(const SymmetryOperator& op) {
  IntegerRotation r{};
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      r[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
          static_cast<int>(std::lround(op.r(row, column)));
  return r;
}

IntegerRotation negated(IntegerRotation r) {
  for (auto& row : r)
    for (int& value : row) value = -value;
  return r;
}

IntegerRotation multiply(const IntegerRotation& a, const IntegerRotation& b) {
  IntegerRotation c{};
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j)
      for (std::size_t k = 0; k < 3; ++k) c[i][j] += a[i][k] * b[k][j];
  return c;
}

// Closure of a set of generators under multiplication (crystallographic point
// groups have at most 48 elements, so the loop is short).
RotationSet generate_group(const RotationSet& generators) {
  std::set<IntegerRotation> group(generators.begin(), generators.end());
  group.insert(IntegerRotation{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}});
  for (bool grown = true; grown;) {
    grown = false;
    const RotationSet current(group.begin(), group.end());
    for (const auto& a : current)
      for (const auto& b : current) grown |= group.insert(multiply(a, b)).second;
  }
  return {group.begin(), group.end()};
}

RotationSet diagonal(std::initializer_list<std::array<int, 3>> signs) {
  RotationSet set;
  for (const auto& s : signs) set.push_back(IntegerRotation{{{s[0], 0, 0}, {0, s[1], 0}, {0, 0, s[2]}}});
  return set;
}

// The Laue groups for which each system's enumeration region and merge were
// designed, as rotations acting on fractional coordinates in the standard setting.
RotationSet reference_laue_group(const std::string& system) {
  const IntegerRotation inversion{{{-1, 0, 0}, {0, -1, 0}, {0, 0, -1}}};
  const IntegerRotation swap_xy{{{0, 1, 0}, {1, 0, 0}, {0, 0, 1}}};
  const IntegerRotation cycle{{{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}};
  if (system == "CUBI") return generate_group({inversion, swap_xy, cycle, diagonal({{-1, 1, 1}})[0]});
  if (system == "TETR")
    return generate_group({inversion, swap_xy, diagonal({{-1, 1, 1}})[0], diagonal({{1, 1, -1}})[0]});
  if (system == "ORTH") return generate_group(diagonal({{-1, 1, 1}, {1, -1, 1}, {1, 1, -1}}));
  if (system == "MONO") return generate_group(diagonal({{-1, 1, -1}, {-1, -1, -1}}));
  if (system == "RHOM") return generate_group({inversion, swap_xy, cycle});
  if (system == "HEXA") {
    const IntegerRotation six{{{1, -1, 0}, {1, 0, 0}, {0, 0, 1}}};      // 6 along c: (x−y, x, z)
    const IntegerRotation two_a{{{1, -1, 0}, {0, -1, 0}, {0, 0, -1}}};  // 2 along a: (x−y, −y, −z)
    return generate_group({inversion, six, two_a});
  }
  return {};
}

bool symbol_has_trigonal_primitive(const CurrentCrystal& crystal) {
  const std::string symbol = to_upper(crystal.symbol);
  return contains(symbol, "P3") || contains(symbol, "P-3");
}

double squared_length(const CellParameters& cell, const MillerIndex& h) {
  const auto& b = cell.b_matrix;
  double sum = 0;
  for (std::size_t row = 0; row < 3; ++row) {
    const double s = b[row][0] * h[0] + b[row][1] * h[1] + b[row][2] * h[2];
    sum += s * s;
  }
  return sum;
}

// Largest |index| along one axis: the rounded reciprocal of the shortest of
// the four vectors B·(1, e, f) (e, f ∈ {0, 1}) at s_max, plus one, widened to
// the exact bound s_max·a (|h| = |s·a| ≤ s_max·a) so that oblique cells lose nothing.
int index_bound(const CellParameters& cell, int axis, double direct_length, double s_max) {
  int bound = 0;
  for (int e = 0; e <= 1; ++e)
    for (int f = 0; f <= 1; ++f) {
      const MillerIndex h = axis == 0   ? MillerIndex{1, e, f}
                            : axis == 1 ? MillerIndex{e, 1, f}
                                        : MillerIndex{e, f, 1};
      const double ratio = s_max / std::sqrt(squared_length(cell, h));
      if (std::isfinite(ratio))
        bound = std::max(bound, static_cast<int>(std::min(std::nearbyint(ratio), 1e6)) + 1);
    }
  const double exact = std::ceil(s_max * direct_length);
  if (std::isfinite(exact)) bound = std::max(bound, static_cast<int>(std::min(exact, 1e6)));
  return bound;
}

struct Candidate {
  MillerIndex h;
  double d;
  MillerIndex label;
};

struct Limits {
  double s_min_squared, s_max_squared;
};

bool in_range(const CellParameters& cell, const MillerIndex& h, const Limits& limits, double& d) {
  const double s2 = squared_length(cell, h);
  // Written so that a cell without volume (NaN or infinite B) accepts nothing.
  if (!(s2 >= limits.s_min_squared && s2 <= limits.s_max_squared && s2 > 0)) return false;
  d = 1 / std::sqrt(s2);
  return true;
}

// Candidates of the per-system region, in its loop order (h, then k, then l).
template <class Visit>
void visit_system_region(const std::string& system, int bound_h, int bound_k, int bound_l, Visit visit) {
  if (system == "CUBI") {
    for (int h = 0; h <= bound_h; ++h)
      for (int k = 0; k <= bound_k; ++k)
        for (int l = k; l <= bound_l; ++l) visit(MillerIndex{h, k, l});
  } else if (system == "TETR" || system == "ORTH") {
    for (int h = 0; h <= bound_h; ++h)
      for (int k = 0; k <= bound_k; ++k)
        for (int l = 0; l <= bound_l; ++l) visit(MillerIndex{h, k, l});
  } else if (system == "HEXA") {
    for (int h = 0; h <= bound_h; ++h)
      for (int k = h; k <= bound_k; ++k)
        for (int l = 0; l <= bound_l; ++l) visit(MillerIndex{h, k, l});
  } else if (system == "RHOM") {
    for (int h = 0; h <= bound_h; ++h)
      for (int k = h; k <= bound_h; ++k)
        for (int l = -bound_h; l <= bound_h; ++l)
          if (h != 0 || k != 0 || l != 0) visit(MillerIndex{h, k, l});
  } else if (system == "MONO") {
    for (int h = bound_h; h >= -bound_h; --h)
      for (int k = 0; k <= bound_k; ++k)
        for (int l = 0; l <= bound_l; ++l) visit(MillerIndex{h, k, l});
  }
}

bool lattice_condition(const MillerIndex& index, char letter, bool hexagonal_r) {
  const int h = index[0], k = index[1], l = index[2];
  auto even = [](int value) { return value % 2 == 0; };
  switch (letter) {
    case 'A':
      return even(k + l);
    case 'B':
      return even(h + l);
    case 'C':
      return even(h + k);
    case 'F':
      return even(h + k) && even(k + l) && even(h + l);
    case 'I':
      return even(h + k + l);
    // Obverse rhombohedral centring in hexagonal axes, translations
    // (2/3, 1/3, 1/3) and (1/3, 2/3, 2/3): −h + k + l = 3n.
    case 'R':
      return !hexagonal_r || (-h + k + l) % 3 == 0;
    default:
      return true;  // 'P' and anything else: the numerical test decides
  }
}

// The full operator list grouped by rotation part: each distinct rotation
// with the translations it comes with (centring copies included).
struct OperatorTable {
  std::vector<IntegerRotation> rotations;
  std::vector<std::vector<std::array<double, 3>>> translations;
};

OperatorTable operator_table(const SymmetryData& symmetry) {
  OperatorTable table;
  for (const SymmetryOperator& op : symmetry.operators) {
    const IntegerRotation r = rounded_rotation(op);
    auto found = std::find(table.rotations.begin(), table.rotations.end(), r);
    const auto index = static_cast<std::size_t>(found - table.rotations.begin());
    if (found == table.rotations.end()) {
      table.rotations.push_back(r);
      table.translations.emplace_back();
    }
    table.translations[index].push_back({op.t(0), op.t(1), op.t(2)});
  }
  return table;
}

// Σ_ops e^{2πi h·(R x + t)} vanishes at every position x exactly when an
// operator leaves h unchanged (hᵀR = h) but shifts its phase (h·t not a whole
// number): the stabiliser's phases then sum to zero (the general reflection
// conditions, International Tables for Crystallography Vol. A). This is the
// exact form of evaluating that sum for a unit atom at general test points.
bool allowed_by_operators(const MillerIndex& h, const OperatorTable& table) {
  if (table.rotations.empty()) return false;
  for (std::size_t i = 0; i < table.rotations.size(); ++i) {
    if (transform_index(h, table.rotations[i]) != h) continue;
    for (const auto& t : table.translations[i]) {
      const double phase = h[0] * t[0] + h[1] * t[1] + h[2] * t[2];
      if (std::abs(phase - std::nearbyint(phase)) > kPhaseTolerance) return false;
    }
  }
  return true;
}

bool is_group(const RotationSet& set) {
  const std::set<IntegerRotation> members(set.begin(), set.end());
  for (const auto& a : set)
    for (const auto& b : set)
      if (!members.contains(multiply(a, b))) return false;
  return true;
}

// Images of h under a group: |G| / |stabiliser of h| (orbit-stabiliser theorem).
int orbit_size(const MillerIndex& h, const RotationSet& group) {
  int stabiliser = 0;
  for (const auto& r : group) stabiliser += transform_index(h, r) == h ? 1 : 0;
  return static_cast<int>(group.size()) / std::max(stabiliser, 1);
}

Reflection make_line(const MillerIndex& h, double d, double wavelength, const RotationSet& laue, bool group) {
  Reflection line;
  line.h = h[0];
  line.k = h[1];
  line.l = h[2];
  line.d = d;
  line.multiplicity = group ? orbit_size(h, laue) : index_multiplicity(h, laue);
  line.wavelength = wavelength;
  line.two_theta = kRadiansToTwoTheta * std::asin(std::min(1.0, wavelength / (2 * d)));
  line.intensity = 1.0;
  return line;
}

void sort_by_decreasing_d(std::vector<Candidate>& candidates) {
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.d > b.d; });
}

// The listing order of the classic classes: "for i < j, exchange lines i and
// j when d_i < d_j". Lines of equal d come out in the order this exchange
// gives them, and the first of equivalent lines names the family, so the
// exchange is kept as it is for lists of the classic size (at most 9 998
// candidates, a few tens of milliseconds); longer lists, which the classic
// procedure refused, are sorted stably.
void exchange_sort_by_decreasing_d(std::vector<Candidate>& lines) {
  if (lines.size() > static_cast<std::size_t>(kMaxEngineReflections)) {
    sort_by_decreasing_d(lines);
    return;
  }
  for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
    Candidate carried = lines[i];
    for (std::size_t j = i + 1; j < lines.size(); ++j)
      if (carried.d < lines[j].d) std::swap(carried, lines[j]);
    lines[i] = carried;
  }
}

// Region of the system: keep the first member of every family in d order.
std::vector<Candidate> merge_families(const std::vector<Candidate>& sorted) {
  std::unordered_map<MillerIndex, double, MillerIndexHash> kept_d;
  std::vector<Candidate> kept;
  for (const Candidate& candidate : sorted) {
    const MillerIndex& label = candidate.label;
    auto found = kept_d.find(label);
    if (found != kept_d.end() && std::abs(found->second - candidate.d) < kMergeTolerance) continue;
    if (found == kept_d.end()) kept_d.emplace(label, candidate.d);
    kept.push_back(candidate);
  }
  return kept;
}

// Decides absences once per family (absence is the same for all its members)
// and counts the families present: each gives one line.
class FamilyPresence {
public:
  explicit FamilyPresence(const CurrentCrystal& crystal) : operators_(operator_table(crystal.symmetry)) {
    const std::string symbol = trim(crystal.symbol);
    hexagonal_r_ = crystal.system_code == "HEXA" && !symbol.empty() && std::toupper(symbol.front()) == 'R';
    letter_ = hexagonal_r_ ? 'R' : static_cast<char>(std::toupper(lattice_letter_of(crystal)));
  }
  bool lattice_allows(const MillerIndex& h) const { return lattice_condition(h, letter_, hexagonal_r_); }
  bool present(const MillerIndex& label) {
    auto [entry, added] = families_.try_emplace(label, false);
    if (added) {
      entry->second = lattice_allows(label) && allowed_by_operators(label, operators_);
      present_count_ += entry->second ? 1 : 0;
    }
    return entry->second;
  }
  bool too_many() const { return present_count_ > kMaxEngineReflections; }

private:
  OperatorTable operators_;
  bool hexagonal_r_ = false;
  char letter_ = 'P';
  std::unordered_map<MillerIndex, bool, MillerIndexHash> families_;
  int present_count_ = 0;
};

struct Enumeration {
  const CurrentCrystal& crystal;
  const RotationSet& laue;
  Limits limits;
  std::array<int, 3> bounds;
  double box() const { return (2.0 * bounds[0] + 1) * (2.0 * bounds[1] + 1) * (2.0 * bounds[2] + 1); }
};

// Present candidates of the system's region in its loop order; false when
// the list would hold too many lines.
bool collect_in_system_region(const Enumeration& e, FamilyPresence& presence,
                              std::vector<Candidate>& candidates) {
  bool stopped = false;
  visit_system_region(
      e.crystal.system_code, e.bounds[0], e.bounds[1], e.bounds[2], [&](const MillerIndex& h) {
        double d = 0;
        if (stopped || !in_range(e.crystal.cell, h, e.limits, d) || !presence.lattice_allows(h)) return;
        const MillerIndex label = family_label(h, e.laue);
        if (presence.present(label)) candidates.push_back({h, d, label});
        stopped = presence.too_many() || candidates.size() > kMaxCandidates;
      });
  return !stopped;
}

// Every present family over the whole sphere, once, under its label.
bool collect_over_sphere(const Enumeration& e, FamilyPresence& presence, std::vector<Candidate>& candidates) {
  for (int h = -e.bounds[0]; h <= e.bounds[0]; ++h)
    for (int k = -e.bounds[1]; k <= e.bounds[1]; ++k)
      for (int l = -e.bounds[2]; l <= e.bounds[2]; ++l) {
        const MillerIndex index{h, k, l};
        double d = 0;
        if (!in_range(e.crystal.cell, index, e.limits, d) || !presence.lattice_allows(index) ||
            family_label(index, e.laue) != index || !presence.present(index))
          continue;
        candidates.push_back({index, d, index});
        if (presence.too_many()) return false;
      }
  return true;
}

}  // namespace

std::vector<IntegerRotation> laue_rotations(const SymmetryData& symmetry) {
  std::set<IntegerRotation> set;
  for (const auto& op : symmetry.operators) {
    const IntegerRotation r = rounded_rotation(op);
    set.insert(r);
    set.insert(negated(r));
  }
  return {set.begin(), set.end()};
}

int index_multiplicity(const MillerIndex& h, const std::vector<IntegerRotation>& laue) {
  std::vector<MillerIndex> images;
  images.reserve(laue.size());
  for (const auto& r : laue) images.push_back(transform_index(h, r));
  std::sort(images.begin(), images.end());
  return static_cast<int>(std::unique(images.begin(), images.end()) - images.begin());
}

MillerIndex family_label(const MillerIndex& h, const std::vector<IntegerRotation>& laue) {
  auto score = [](const MillerIndex& m) {
    return static_cast<int>(m[0] >= 0) + static_cast<int>(m[1] >= 0) + static_cast<int>(m[2] >= 0);
  };
  MillerIndex best = h;
  int best_score = score(h);
  for (const auto& r : laue) {
    const MillerIndex image = transform_index(h, r);
    const int image_score = score(image);
    if (image_score > best_score || (image_score == best_score && image > best)) {
      best = image;
      best_score = image_score;
    }
  }
  return best;
}

char lattice_letter_of(const CurrentCrystal& crystal) {
  if (crystal.system_code == "HEXA") return 'P';
  std::string_view symbol = trim_view(crystal.symbol);
  if (!symbol.empty() && symbol.front() == '-') symbol.remove_prefix(1);
  if (symbol.empty()) return crystal.symmetry.lattice_letter;
  return symbol.front();
}

bool uses_system_region(const CurrentCrystal& crystal, const std::vector<IntegerRotation>& laue) {
  if (crystal.system_code == "HEXA" && symbol_has_trigonal_primitive(crystal)) return false;
  const RotationSet reference = reference_laue_group(crystal.system_code);
  return !reference.empty() && reference == laue;  // both sorted sets
}

bool is_absent(const MillerIndex& h, const CurrentCrystal& crystal) {
  if (h[0] == 0 && h[1] == 0 && h[2] == 0) return true;
  const std::string symbol = trim(crystal.symbol);
  const bool hexagonal_r =
      crystal.system_code == "HEXA" && !symbol.empty() && std::toupper(symbol.front()) == 'R';
  const char letter = hexagonal_r ? 'R' : static_cast<char>(std::toupper(lattice_letter_of(crystal)));
  if (!lattice_condition(h, letter, hexagonal_r)) return true;
  return !allowed_by_operators(h, operator_table(crystal.symmetry));
}

ReflectionListResult make_reflection_list(const CurrentCrystal& crystal, double wavelength,
                                          double two_theta_low, double two_theta_high, MessageSink& ui) {
  ReflectionListResult result = make_reflection_list_quietly(crystal, wavelength, two_theta_low, two_theta_high);
  if (result.status != 0) ui.warning("Too many calculated reflections. Decrease the theta range");
  return result;
}

ReflectionListResult make_reflection_list_quietly(const CurrentCrystal& crystal, double wavelength,
                                                  double two_theta_low, double two_theta_high) {
  ReflectionListResult result;
  const double s_min = 2 * std::sin(two_theta_low * kHalfTwoThetaToRadians) / wavelength;
  const double s_max = 2 * std::sin(two_theta_high * kHalfTwoThetaToRadians) / wavelength;
  const RotationSet laue = laue_rotations(crystal.symmetry);
  if (!(wavelength > 0) || !(s_max > 0) || laue.empty()) return result;

  const Enumeration enumeration{crystal,
                                laue,
                                {s_min * s_min, s_max * s_max},
                                {index_bound(crystal.cell, 0, crystal.cell.a, s_max),
                                 index_bound(crystal.cell, 1, crystal.cell.b, s_max),
                                 index_bound(crystal.cell, 2, crystal.cell.c, s_max)}};
  FamilyPresence presence(crystal);
  std::vector<Candidate> candidates;
  const bool system_region = uses_system_region(crystal, laue);
  const bool complete = enumeration.box() <= kMaxEnumerationBox &&
                        (system_region ? collect_in_system_region(enumeration, presence, candidates)
                                       : collect_over_sphere(enumeration, presence, candidates));
  if (complete && system_region) {
    exchange_sort_by_decreasing_d(candidates);
    candidates = merge_families(candidates);
  } else if (complete) {
    sort_by_decreasing_d(candidates);
  }
  if (!complete || candidates.size() > static_cast<std::size_t>(kMaxEngineReflections)) {
    result.status = 1;
    return result;
  }
  result.reflections.reserve(candidates.size());
  const bool group = is_group(laue);
  for (const Candidate& candidate : candidates)
    result.reflections.push_back(make_line(candidate.h, candidate.d, wavelength, laue, group));
  return result;
}

}  // namespace calvane
