#include "crystallography/structure_factor.hpp"

#include <cmath>
#include <numbers>

#include "crystallography/operator_factors.hpp"
#include "crystallography/structure_factor_kernel.hpp"
#include "util/thread_pool.hpp"

namespace calvane {

namespace {

double reduced(double turns) { return turns - std::nearbyint(turns); }

// The phase terms of one reflection (see PhaseTerm). For an inversion pair
// (R, t), (−R, t′): e^{2πi h·(Rx+t)} + e^{2πi h·(−Rx+t′)} = 2·e^{2πiβ}·cos 2π(h·Rx + α)
// with α = h·(t − t′)/2 and β = h·(t + t′)/2.
std::vector<PhaseTerm> phase_terms(const MillerIndex& h, const FactorisedOperators& operators) {
  const std::complex<double> centring = centring_factor(h, operators);
  std::vector<PhaseTerm> terms;
  terms.reserve(operators.independent.size());
  for (std::size_t p = 0; p < operators.independent.size(); ++p) {
    const SymmetryOperator& op = operators.independent[p];
    const MillerIndex u{
        static_cast<int>(std::lround(h[0] * op.r(0, 0) + h[1] * op.r(1, 0) + h[2] * op.r(2, 0))),
        static_cast<int>(std::lround(h[0] * op.r(0, 1) + h[1] * op.r(1, 1) + h[2] * op.r(2, 1))),
        static_cast<int>(std::lround(h[0] * op.r(0, 2) + h[1] * op.r(1, 2) + h[2] * op.r(2, 2)))};
    const double ht = h[0] * op.t(0) + h[1] * op.t(1) + h[2] * op.t(2);
    PhaseTerm term;
    term.ux = static_cast<float>(u[0]);
    term.uy = static_cast<float>(u[1]);
    term.uz = static_cast<float>(u[2]);
    std::complex<double> factor = centring;
    if (operators.inversion_paired) {
      const auto& tp = operators.partner_translations[p];
      const double htp = h[0] * tp[0] + h[1] * tp[1] + h[2] * tp[2];
      term.shift = static_cast<float>(reduced(0.5 * (ht - htp)));
      factor *= 2.0 * std::polar(1.0, 2 * std::numbers::pi * reduced(0.5 * (ht + htp)));
    } else {
      term.shift = static_cast<float>(reduced(ht));
    }
    term.factor_re = static_cast<float>(factor.real());
    term.factor_im = static_cast<float>(factor.imag());
    terms.push_back(term);
  }
  return terms;
}

double squared_s_over_4(const std::array<std::array<double, 3>, 3>& b, const MillerIndex& h) {
  double sum = 0;
  for (std::size_t row = 0; row < 3; ++row) {
    const double s = b[row][0] * h[0] + b[row][1] * h[1] + b[row][2] * h[2];
    sum += s * s;
  }
  return 0.25 * sum;  // (sin θ/λ)² = 1/(4d²)
}

// The atoms as the summation reads them: packed positions, and per atom its
// displacement B, weight w, Fermi length and type slot (types + 1 when it has no X-ray type).
struct AtomTable {
  PackedAtoms positions;
  std::vector<float> displacement;
  std::vector<double> weight, fermi;
  std::vector<std::size_t> slot;
};

AtomTable atom_table(const CurrentCrystal& crystal, std::size_t types) {
  const std::size_t count = crystal.atoms.size();
  std::vector<double> x(count), y(count), z(count);
  AtomTable table;
  table.weight.resize(count);
  table.fermi.resize(count);
  table.slot.resize(count);
  for (std::size_t a = 0; a < count; ++a) {
    const AtomSite& atom = crystal.atoms[a];
    x[a] = atom.x;
    y[a] = atom.y;
    z[a] = atom.z;
    table.weight[a] = atom.weight;
    table.fermi[a] = atom.fermi_length;
    const auto type = static_cast<std::size_t>(std::max(atom.type_index, 0));
    table.slot[a] = type >= 1 && type <= types ? type - 1 : types + 1;
  }
  table.positions = pack_atoms(x, y, z);
  table.displacement.assign(table.positions.padded_count(), 0.0f);
  for (std::size_t a = 0; a < count; ++a) table.displacement[a] = static_cast<float>(crystal.atoms[a].b);
  return table;
}

}  // namespace

bool StructureFactorCache::matches(const CurrentCrystal& crystal) const {
  const auto& a = crystal.atoms;
  if (a.size() != atoms_.size() || crystal.scattering_types.size() != type_count_ ||
      crystal.symmetry.centring_translations != centring_ || crystal.cell.b_matrix != b_matrix_ ||
      crystal.symmetry.operators.size() != operators_.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const AtomSite& x = a[i];
    const AtomSite& y = atoms_[i];
    if (x.x != y.x || x.y != y.y || x.z != y.z || x.b != y.b || x.weight != y.weight ||
        x.fermi_length != y.fermi_length || x.type_index != y.type_index)
      return false;
  }
  for (std::size_t i = 0; i < operators_.size(); ++i)
    if (crystal.symmetry.operators[i].m != operators_[i].m) return false;
  return true;
}

void StructureFactorCache::remember(const CurrentCrystal& crystal) {
  clear();
  atoms_ = crystal.atoms;
  operators_ = crystal.symmetry.operators;
  centring_ = crystal.symmetry.centring_translations;
  b_matrix_ = crystal.cell.b_matrix;
  type_count_ = crystal.scattering_types.size();
  slot_size_ = type_count_ + 1;
}

void StructureFactorCache::clear() {
  slots_.clear();
  sums_.clear();
  atoms_.clear();
  operators_.clear();
  slot_size_ = 0;
  type_count_ = 0;
}

std::span<const std::complex<double>> StructureFactorCache::sums(const MillerIndex& h) const {
  auto found = slots_.find(h);
  if (found == slots_.end()) return {};
  return {sums_.data() + found->second * slot_size_, slot_size_};
}

void StructureFactorCache::prepare(const CurrentCrystal& crystal,
                                   const std::vector<MillerIndex>& reflections) {
  prepare(crystal, reflections, ThreadPool::shared());
}

void StructureFactorCache::prepare(const CurrentCrystal& crystal, const std::vector<MillerIndex>& reflections,
                                   ThreadPool& pool) {
  if (slot_size_ == 0 || !matches(crystal)) remember(crystal);
  std::vector<MillerIndex> missing;
  for (const MillerIndex& h : reflections)
    if (slots_.emplace(h, slots_.size()).second) missing.push_back(h);
  if (missing.empty()) return;
  const std::size_t first_slot = sums_.size() / slot_size_;
  sums_.resize(sums_.size() + missing.size() * slot_size_);

  const FactorisedOperators operators = factorise_operators(crystal.symmetry);
  const AtomTable atoms = atom_table(crystal, type_count_);
  const std::size_t atom_count = crystal.atoms.size();
  const std::size_t types = type_count_;
  const PackedAtoms& packed = atoms.positions;
  const auto& displacement = atoms.displacement;
  const auto& weight = atoms.weight;
  const auto& fermi = atoms.fermi;
  const auto& slot = atoms.slot;

  pool.parallel_for(missing.size(), 8, [&](std::size_t begin, std::size_t end) {
    std::vector<float> re(packed.padded_count()), im(packed.padded_count()), damping(packed.padded_count());
    std::vector<std::complex<double>> scratch(types + 2);
    for (std::size_t i = begin; i < end; ++i) {
      const MillerIndex& h = missing[i];
      const std::vector<PhaseTerm> terms = phase_terms(h, operators);
      if (operators.inversion_paired)
        cosine_symmetry_sums(terms.data(), terms.size(), packed, re.data(), im.data());
      else
        exponential_symmetry_sums(terms.data(), terms.size(), packed, re.data(), im.data());
      damping_factors(displacement.data(), packed.padded_count(),
                      static_cast<float>(squared_s_over_4(crystal.cell.b_matrix, h)), damping.data());
      std::fill(scratch.begin(), scratch.end(), std::complex<double>());
      std::complex<double> neutron = 0;
      for (std::size_t a = 0; a < atom_count; ++a) {
        const std::complex<double> term =
            weight[a] * static_cast<double>(damping[a]) * std::complex<double>(re[a], im[a]);
        scratch[slot[a]] += term;
        neutron += fermi[a] * term;
      }
      std::complex<double>* out = sums_.data() + (first_slot + i) * slot_size_;
      std::copy(scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(types), out);
      out[types] = neutron;
    }
  });
}

std::pair<double, double> scattering_factor(const ScatteringType& type, double s, int wavelength_index) {
  const double s2 = s * s;
  double f = type.c;
  for (std::size_t i = 0; i < 4; ++i) f += type.a[i] * std::exp(-type.b[i] * s2);
  if (wavelength_index >= 1 && wavelength_index <= static_cast<int>(type.f_prime.size())) {
    const auto j = static_cast<std::size_t>(wavelength_index - 1);
    return {f + type.f_prime[j], type.f_second[j]};
  }
  return {f, 0.0};
}

XrayStructureFactor structure_factor_xray(const CurrentCrystal& crystal,
                                          std::span<const std::complex<double>> sums, double s,
                                          int wavelength_index) {
  std::vector<std::pair<double, double>> form_factors;
  form_factors.reserve(crystal.scattering_types.size());
  for (const ScatteringType& type : crystal.scattering_types)
    form_factors.push_back(scattering_factor(type, s, wavelength_index));
  return structure_factor_xray(form_factors, sums);
}

XrayStructureFactor structure_factor_xray(std::span<const std::pair<double, double>> form_factors,
                                          std::span<const std::complex<double>> sums) {
  std::complex<double> plus = 0, minus = 0;
  const std::size_t types = std::min(form_factors.size(), sums.empty() ? 0 : sums.size() - 1);
  for (std::size_t t = 0; t < types; ++t) {
    const std::complex<double> f(form_factors[t].first, form_factors[t].second);
    plus += f * sums[t];
    minus += f * std::conj(sums[t]);
  }
  return {plus.real(), plus.imag(), minus.real(), minus.imag()};
}

NeutronStructureFactor structure_factor_neutron(std::span<const std::complex<double>> sums) {
  if (sums.empty()) return {};
  return {sums.back().real(), sums.back().imag()};
}

}  // namespace calvane
