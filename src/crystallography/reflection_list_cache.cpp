#include "crystallography/reflection_list_cache.hpp"

#include <type_traits>

namespace calvane {

namespace {

/// Appends the bytes of a value without padding (doubles, arrays of doubles).
template <typename Value>
void append_bytes(std::string& key, const Value& value) {
  static_assert(std::is_trivially_copyable_v<Value>);
  key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void append_text(std::string& key, const std::string& text) {
  append_bytes(key, text.size());
  key.append(text);
}

/// Everything make_reflection_list reads, as bytes: the cell (with its derived
/// reciprocal values), system and symbol, the whole symmetry, the wavelength
/// and the limits.
std::string list_key(const CurrentCrystal& crystal, double wavelength, double low, double high) {
  std::string key;
  const SymmetryData& symmetry = crystal.symmetry;
  key.reserve(256 + symmetry.operators.size() * sizeof(SymmetryOperator));
  append_bytes(key, wavelength);
  append_bytes(key, low);
  append_bytes(key, high);
  append_bytes(key, crystal.cell);
  append_text(key, crystal.system_code);
  append_text(key, crystal.symbol);
  append_text(key, symmetry.hall_symbol);
  append_bytes(key, symmetry.space_group_number);
  key.push_back(symmetry.lattice_letter);
  key.push_back(symmetry.centrosymmetric ? '1' : '0');
  append_bytes(key, symmetry.operators.size());
  for (const SymmetryOperator& op : symmetry.operators) append_bytes(key, op);
  append_bytes(key, symmetry.centring_translations.size());
  for (const auto& translation : symmetry.centring_translations) append_bytes(key, translation);
  return key;
}

}  // namespace

ReflectionListResult ReflectionListCache::get(const CurrentCrystal& crystal, double wavelength,
                                              double two_theta_low, double two_theta_high, Ui& ui) {
  std::string key = list_key(crystal, wavelength, two_theta_low, two_theta_high);
  if (auto found = lists_.find(key); found != lists_.end()) return ReflectionListResult{0, found->second};
  ReflectionListResult result = make_reflection_list(crystal, wavelength, two_theta_low, two_theta_high, ui);
  if (result.status != 0) return result;
  if (lists_.size() >= kCapacity) lists_.clear();  // start afresh rather than track ages
  lists_.emplace(std::move(key), result.reflections);
  return result;
}

}  // namespace calvane
