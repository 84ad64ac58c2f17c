#include "crystallography/operator_factors.hpp"

#include <cmath>
#include <numbers>

namespace calvane {

namespace {

constexpr double kTranslationTolerance = 1e-3;

bool same_modulo_lattice(double a, double b) {
  const double difference = a - b;
  return std::abs(difference - std::nearbyint(difference)) < kTranslationTolerance;
}

bool same_rotation(const SymmetryOperator& a, const SymmetryOperator& b, double sign) {
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      if (std::abs(a.r(row, column) - sign * b.r(row, column)) > 1e-6) return false;
  return true;
}

// True when operator `copy` is `base` shifted by `translation` (modulo whole cells).
bool is_centred_copy(const SymmetryOperator& copy, const SymmetryOperator& base,
                     const std::array<double, 3>& translation) {
  if (!same_rotation(copy, base, 1)) return false;
  for (int row = 0; row < 3; ++row)
    if (!same_modulo_lattice(copy.t(row), base.t(row) + translation[static_cast<std::size_t>(row)]))
      return false;
  return true;
}

// The primitive block when the list is that block followed by one copy per
// centring translation; the whole list otherwise.
std::vector<SymmetryOperator> primitive_block(const SymmetryData& symmetry, FactorisedOperators& out) {
  const auto& operators = symmetry.operators;
  const std::size_t blocks = symmetry.centring_translations.size() + 1;
  if (blocks > 1 && !operators.empty() && operators.size() % blocks == 0) {
    const std::size_t size = operators.size() / blocks;
    bool structured = true;
    for (std::size_t block = 1; block < blocks && structured; ++block)
      for (std::size_t i = 0; i < size && structured; ++i)
        structured = is_centred_copy(operators[block * size + i], operators[i],
                                     symmetry.centring_translations[block - 1]);
    if (structured) {
      out.centring.insert(out.centring.end(), symmetry.centring_translations.begin(),
                          symmetry.centring_translations.end());
      return {operators.begin(), operators.begin() + static_cast<std::ptrdiff_t>(size)};
    }
  }
  return operators;
}

void pair_by_inversion(const std::vector<SymmetryOperator>& primitive, FactorisedOperators& out) {
  std::vector<bool> used(primitive.size(), false);
  std::vector<SymmetryOperator> independent;
  std::vector<std::array<double, 3>> partners;
  for (std::size_t i = 0; i < primitive.size(); ++i) {
    if (used[i]) continue;
    std::size_t j = i + 1;
    while (j < primitive.size() && (used[j] || !same_rotation(primitive[j], primitive[i], -1))) ++j;
    if (j == primitive.size()) {  // an operator without partner: keep the list whole
      out.independent = primitive;
      out.inversion_paired = false;
      return;
    }
    used[i] = used[j] = true;
    independent.push_back(primitive[i]);
    partners.push_back({primitive[j].t(0), primitive[j].t(1), primitive[j].t(2)});
  }
  out.independent = std::move(independent);
  out.partner_translations = std::move(partners);
  out.inversion_paired = true;
}

}  // namespace

FactorisedOperators factorise_operators(const SymmetryData& symmetry) {
  FactorisedOperators out;
  const std::vector<SymmetryOperator> primitive = primitive_block(symmetry, out);
  if (primitive.empty()) return out;
  pair_by_inversion(primitive, out);
  return out;
}

std::complex<double> centring_factor(const std::array<int, 3>& h, const FactorisedOperators& operators) {
  std::complex<double> sum = 0;
  for (const auto& tau : operators.centring) {
    const double turns = h[0] * tau[0] + h[1] * tau[1] + h[2] * tau[2];
    sum += std::polar(1.0, 2 * std::numbers::pi * turns);
  }
  return sum;
}

std::size_t represented_operator_count(const FactorisedOperators& operators) {
  return operators.independent.size() * (operators.inversion_paired ? 2 : 1) * operators.centring.size();
}

}  // namespace calvane
