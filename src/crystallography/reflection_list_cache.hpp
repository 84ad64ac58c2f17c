// Reflection lists kept across recomputations.
//
// Pressing "Apply" recomputes every phase, but a phase's reflection list
// depends only on its cell, its symmetry, the wavelength and the 2θ range,
// which a change of fractions, sizes or strains leaves alone. The lists are
// kept by those inputs and enumerated again only when one of them changed.
#pragma once

#include <cstddef>
#include <map>
#include <string>

#include "crystallography/reflection_list.hpp"
#include "util/thread_pool.hpp"

namespace calvane {

class MessageSink;

class ReflectionListCache {
public:
  /// As many lists as eight phases at four wavelengths, twice over.
  static constexpr std::size_t kCapacity = 64;

  /// What make_reflection_list gives for these inputs; a list that failed
  /// (too many reflections) is never kept, so its warning is given each time.
  ReflectionListResult get(const CurrentCrystal& crystal, double wavelength, double two_theta_low,
                           double two_theta_high, MessageSink& ui);

  /// Makes at once, on `pool`, the lists of the wavelengths not kept yet, and
  /// keeps those that succeed; a failure is left for get(), which warns.
  void prefetch(const CurrentCrystal& crystal, const std::vector<double>& wavelengths, double two_theta_low,
                double two_theta_high, ThreadPool& pool);

  std::size_t size() const { return lists_.size(); }

private:
  void keep(std::string key, const std::vector<Reflection>& reflections);

  std::map<std::string, std::vector<Reflection>> lists_;
};

}  // namespace calvane
