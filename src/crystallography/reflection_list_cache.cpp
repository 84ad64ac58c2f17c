#include "crystallography/reflection_list_cache.hpp"

#include <algorithm>
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
                                              double two_theta_low, double two_theta_high, MessageSink& ui) {
  std::string key = list_key(crystal, wavelength, two_theta_low, two_theta_high);
  if (auto found = lists_.find(key); found != lists_.end()) return ReflectionListResult{0, found->second};
  ReflectionListResult result = make_reflection_list(crystal, wavelength, two_theta_low, two_theta_high, ui);
  if (result.status == 0) keep(std::move(key), result.reflections);
  return result;
}

void ReflectionListCache::prefetch(const CurrentCrystal& crystal, const std::vector<double>& wavelengths,
                                   double two_theta_low, double two_theta_high, ThreadPool& pool) {
  std::vector<std::string> keys;
  std::vector<double> missing;
  for (double wavelength : wavelengths) {
    std::string key = list_key(crystal, wavelength, two_theta_low, two_theta_high);
    if (lists_.count(key) != 0 || std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
    keys.push_back(std::move(key));
    missing.push_back(wavelength);
  }
  if (missing.size() < 2) return;  // one list gains nothing from the pool
  std::vector<ReflectionListResult> made(missing.size());
  pool.parallel_for(missing.size(), 1, [&](std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i)
      made[i] = make_reflection_list_quietly(crystal, missing[i], two_theta_low, two_theta_high);
  });
  for (std::size_t i = 0; i < made.size(); ++i)
    if (made[i].status == 0) keep(std::move(keys[i]), made[i].reflections);
}

void ReflectionListCache::keep(std::string key, const std::vector<Reflection>& reflections) {
  if (lists_.size() >= kCapacity) lists_.clear();  // start afresh rather than track ages
  lists_.emplace(std::move(key), reflections);
}

}  // namespace calvane
