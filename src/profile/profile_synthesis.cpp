#include "profile/profile_synthesis.hpp"

#include <algorithm>
#include <cmath>

#include "util/message_sink.hpp"
#include "util/thread_pool.hpp"
#include "model/limits.hpp"
#include "model/current_crystal.hpp"

namespace calvane {

ProfileGrid profile_grid(const ExperimentSettings& settings) {
  return {settings.two_theta_low, settings.two_theta_high,
          std::clamp(settings.profile_points, 2, kMaxProfilePoints)};
}

PeakList synthesis_peaks(std::span<const Reflection> reflections, const ProfileRequest& request) {
  const bool q_pass = request.angle_scale == AngleScale::Q;
  PeakList list;
  for (std::size_t i = 0; i < reflections.size(); ++i) {
    const Reflection& reflection = reflections[i];
    if (!q_pass && !(request.grid.low <= reflection.two_theta && reflection.two_theta <= request.grid.high))
      continue;
    const double wavelength = reflection.wavelength > 0 ? reflection.wavelength : request.fallback_wavelength;
    const PeakWidth width =
        peak_width(request.resolution, request.broadening, reflection.two_theta, wavelength);
    ProfileStatus stop = ProfileStatus::Completed;
    if (width.instrumental < 0)
      stop = ProfileStatus::NegativeWidth;
    else if (!(width.total > 0) || !std::isfinite(width.total))
      stop = ProfileStatus::ZeroWidth;
    else if (q_pass && request.refuse_unique_axis_along_c)
      stop = ProfileStatus::UniqueAxisParallelToC;
    if (stop != ProfileStatus::Completed) {
      list.result.status = stop;
      list.result.failed_reflection = i;
      break;
    }
    const double area = q_pass ? 0.1 * reflection.intensity : reflection.intensity;
    list.peaks.push_back({reflection.two_theta, width.total, area});
  }
  list.result.peaks_added = list.peaks.size();
  return list;
}

ProfileResult compute_profile(std::span<const Reflection> reflections, const ProfileRequest& request,
                              std::vector<double>& x, std::vector<double>& y, ThreadPool* pool) {
  x = request.grid.abscissae();
  y.assign(x.size(), 0.0);
  const PeakList list = synthesis_peaks(reflections, request);
  add_peaks(x, y, kLorentzianShare, list.peaks, pool);
  return list.result;
}

bool unique_axis_along_c(const CurrentCrystal& crystal, bool getspec_symbol_selected) {
  return crystal.system_code == "MONO" && !getspec_symbol_selected && std::abs(crystal.cell.gamma - 90.0) < 0.1;
}

PhaseProfile synthesise_profile(const ExperimentSettings& settings, const CurrentCrystal& crystal,
                                std::span<const Reflection> reflections, const Broadening& broadening,
                                bool getspec_symbol_selected, MessageSink& ui) {
  ProfileRequest request;
  request.grid = profile_grid(settings);
  request.resolution = {settings.u, settings.v, settings.w};
  request.broadening = broadening;
  request.angle_scale = settings.angle_scale;
  request.fallback_wavelength = settings.wavelengths.empty() ? 0 : settings.wavelengths.back();
  request.refuse_unique_axis_along_c = unique_axis_along_c(crystal, getspec_symbol_selected);

  PhaseProfile profile;
  profile.grid = request.grid;
  std::vector<double> x;
  const ProfileResult result = compute_profile(reflections, request, x, profile.y, &ThreadPool::shared());
  profile.status = result.status;
  switch (result.status) {
    case ProfileStatus::Completed:
      break;
    case ProfileStatus::NegativeWidth:
      ui.warning("Bad u,v,w values (angular width < 0!)");
      break;
    case ProfileStatus::ZeroWidth:
      ui.warning("Bad u,v,w values (angular width = 0!)");
      break;
    case ProfileStatus::UniqueAxisParallelToC:
      ui.warning("The unique axis cannot be parallel to C axis!");
      break;
  }
  return profile;
}

}  // namespace calvane
