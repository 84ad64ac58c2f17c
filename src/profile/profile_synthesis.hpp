// Profile synthesis: the merged reflection list of one phase becomes a
// continuous pattern of pseudo-Voigt peaks on the profile grid.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "profile/peak_width.hpp"
#include "profile/pseudo_voigt.hpp"
#include "model/experiment_settings.hpp"
#include "model/profile_grid.hpp"
#include "model/reflection.hpp"

namespace calvane {

class ThreadPool;
class MessageSink;
struct CurrentCrystal;

/// The grid of the settings' range, with the settings' point count clamped
/// to 2..1600 (one point per screen pixel at most, and a step needs two).
ProfileGrid profile_grid(const ExperimentSettings& settings);

enum class ProfileStatus {
  Completed,
  NegativeWidth,          // U·T² + V·T + W < 0 at some reflection
  ZeroWidth,              // a peak without any width (no resolution, size or strain term)
  UniqueAxisParallelToC,  // Q scale, monoclinic, γ within 0.1° of 90°, no GETSPEC symbol chosen
};

struct ProfileRequest {
  ProfileGrid grid;
  Resolution resolution;
  Broadening broadening;
  AngleScale angle_scale = AngleScale::TwoTheta;
  /// Wavelength for a reflection that carries none (0): the last of the spectrum.
  double fallback_wavelength = 0;
  /// The Q pass refuses a monoclinic cell whose unique axis would lie along c.
  bool refuse_unique_axis_along_c = false;
};

struct ProfileResult {
  ProfileStatus status = ProfileStatus::Completed;
  std::size_t peaks_added = 0;
  std::size_t failed_reflection = 0;  // 0-based index of the reflection that stopped the pass
};

/// The peaks of a synthesis pass, in list order, up to the reflection that
/// stops it. The Theta and 2Theta scales take the reflections within the range
/// with the area A = I; the Q scale takes every reflection with A = I/10.
struct PeakList {
  std::vector<PseudoVoigtPeak> peaks;
  ProfileResult result;
};
PeakList synthesis_peaks(std::span<const Reflection> reflections, const ProfileRequest& request);

/// Computes the profile of `reflections` on the request's grid into x and y
/// (resized to the grid). A stop leaves y with the peaks before it.
ProfileResult compute_profile(std::span<const Reflection> reflections, const ProfileRequest& request,
                              std::vector<double>& x, std::vector<double>& y, ThreadPool* pool);

/// Whether the Q pass must refuse the crystal: monoclinic, no GETSPEC symbol
/// selected in the space-group window and |γ − 90| < 0.1°.
bool unique_axis_along_c(const CurrentCrystal& crystal, bool getspec_symbol_selected);

struct PhaseProfile {
  ProfileStatus status = ProfileStatus::Completed;
  ProfileGrid grid;
  std::vector<double> y;  // on the grid; a stop leaves the peaks before it
};

/// The profile of `reflections` (a phase's merged list) with the phase's
/// size and strain on the grid of the settings. Each peak's size term uses
/// the wavelength that produced its reflection. A stop shows its message
/// ("Bad u,v,w values (angular width < 0!)", "Bad u,v,w values (angular
/// width = 0!)", "The unique axis cannot be parallel to C axis!") and keeps
/// the peaks added before it.
PhaseProfile synthesise_profile(const ExperimentSettings& settings, const CurrentCrystal& crystal,
                                std::span<const Reflection> reflections, const Broadening& broadening,
                                bool getspec_symbol_selected, MessageSink& ui);

}  // namespace calvane
