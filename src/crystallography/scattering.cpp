#include "crystallography/scattering.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "util/text.hpp"

namespace calvane {

namespace {

constexpr double kDeuteriumWeight = 2.0141;  // g/mol, 2H (IUPAC)

bool is_letter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

}  // namespace

std::string scattering_symbol(std::string_view atom_type) {
  std::string_view text = trim_view(atom_type);
  std::size_t length = 0;
  while (length < 2 && length < text.size() && is_letter(text[length])) ++length;
  return to_upper(text.substr(0, length));
}

std::string assign_scattering_types(CurrentCrystal& crystal) {
  std::vector<ScatteringType> types;
  std::vector<int> indices;
  indices.reserve(crystal.atoms.size());
  for (const AtomSite& atom : crystal.atoms) {
    std::string symbol = scattering_symbol(atom.type);
    auto found =
        std::find_if(types.begin(), types.end(), [&](const ScatteringType& t) { return t.symbol == symbol; });
    if (found == types.end()) {
      if (static_cast<int>(types.size()) == kMaxScatteringTypes)
        return "Too many elements in the phase: at most " + std::to_string(kMaxScatteringTypes) +
               " are allowed.";
      auto kept = std::find_if(crystal.scattering_types.begin(), crystal.scattering_types.end(),
                               [&](const ScatteringType& t) { return t.symbol == symbol; });
      types.push_back(kept != crystal.scattering_types.end() ? *kept : ScatteringType{});
      types.back().symbol = symbol;
      found = types.end() - 1;
    }
    indices.push_back(static_cast<int>(found - types.begin()) + 1);
  }
  crystal.scattering_types = std::move(types);
  for (std::size_t i = 0; i < indices.size(); ++i) crystal.atoms[i].type_index = indices[i];
  return {};
}

const FormFactorCoefficients* find_form_factor_species(std::string_view name) {
  const std::string wanted = to_upper(trim(name));
  for (const FormFactorCoefficients& entry : kFormFactorTable)
    if (to_upper(entry.name) == wanted) return &entry;
  return nullptr;
}

std::string lookup_form_factor(ScatteringType& type) {
  const std::string symbol = to_upper(trim(type.symbol));
  const FormFactorCoefficients* entry =
      find_form_factor_species(symbol == "D" ? std::string_view("H") : symbol);
  if (entry == nullptr) return "element " + symbol + " not found!";
  type.a = entry->a;
  type.b = entry->b;
  type.c = entry->c;
  return {};
}

FormFactor form_factor(const ScatteringType& type, double s, int wavelength_index) {
  const double s2 = s * s;
  double f0 = type.c;
  for (std::size_t i = 0; i < 4; ++i) f0 += type.a[i] * std::exp(-type.b[i] * s2);
  FormFactor result{f0, 0};
  if (wavelength_index >= 1 && wavelength_index <= 4) {
    const auto j = static_cast<std::size_t>(wavelength_index - 1);
    result.real += type.f_prime[j];
    result.imaginary = type.f_second[j];
  }
  return result;
}

double atomic_weight(std::string_view symbol) {
  const std::string wanted = to_upper(trim(symbol));
  if (wanted == "D") return kDeuteriumWeight;
  for (const AtomicWeight& entry : kAtomicWeightTable)
    if (to_upper(entry.symbol) == wanted) return entry.weight;
  return 0;
}

std::optional<double> neutron_length(std::string_view name) {
  const std::string wanted = to_upper(trim(name));
  for (const std::string& candidate : {wanted, wanted + "."})
    for (const NeutronLength& entry : kNeutronLengthTable)
      if (entry.name == candidate) return entry.length;
  return std::nullopt;
}

}  // namespace calvane
