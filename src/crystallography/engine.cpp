#include "crystallography/engine.hpp"

#include <algorithm>

#include "crystallography/intensities.hpp"
#include "crystallography/phase_listing.hpp"
#include "crystallography/reflection_list.hpp"
#include "crystallography/reflection_list_cache.hpp"
#include "model/limits.hpp"
#include "util/message_sink.hpp"
#include "util/thread_pool.hpp"

namespace calvane {

PhaseLines compute_phase_lines(const PhaseLinesRequest& request, ReflectionListCache& lists,
                               StructureFactorCache& sums, ThreadPool* pool, MessageSink& messages) {
  const ExperimentSettings& settings = request.settings;
  PhaseLines lines;
  // The wavelengths' reflection lists are independent: they are made together.
  if (pool != nullptr)
    lists.prefetch(request.crystal, settings.wavelengths, settings.two_theta_low, settings.two_theta_high, *pool);
  for (int k = 1; k <= settings.wavelength_count(); ++k) {
    const auto j = static_cast<std::size_t>(k - 1);
    const double wavelength = settings.wavelengths[j];
    ReflectionListResult list =
        lists.get(request.crystal, wavelength, settings.two_theta_low, settings.two_theta_high, messages);
    if (list.status != 0) {
      messages.beep();
      messages.warning("No reflection calculated in the given Theta range!");
      continue;
    }
    const IntensityContext context{request.crystal, settings, request.composition, request.sample_absorption, k,
                                   wavelength};
    WavelengthIntensities result = settings.source == RadiationSource::Neutrons
                                       ? intensities_neutron(context, list.reflections, sums)
                                       : intensities_xray(context, list.reflections, sums);
    if (result.lines.empty()) continue;
    lines.scale_factor = result.scale_factor;
    const double fraction = settings.fractions[j];
    for (const ComputedLine& computed : result.lines) {
      if (static_cast<int>(lines.reflections.size()) >= kMaxPhaseReflections) break;
      Reflection line = computed.reflection;
      line.intensity *= fraction;
      line.wavelength = wavelength;
      lines.reflections.push_back(line);
    }
    lines.sections.push_back({wavelength, k, std::move(result)});
  }
  std::stable_sort(lines.reflections.begin(), lines.reflections.end(),
                   [](const Reflection& a, const Reflection& b) { return a.two_theta < b.two_theta; });
  if (settings.wavelength_count() > 1) {
    double largest = 0;
    for (const Reflection& line : lines.reflections) largest = std::max(largest, line.intensity);
    lines.scale_factor = largest > 0 ? 100 / largest : 0;
  }
  return lines;
}

void write_listing_headers(const DeferredListing& listing, std::string* detailed, std::string* short_listing) {
  const auto& wavelengths = listing.settings.wavelengths;
  const ListingContext context{listing.crystal,           listing.settings,
                               listing.composition,       listing.crystal_file_name,
                               listing.date_time,         wavelengths.empty() ? 0.0 : wavelengths.front(),
                               1};
  if (detailed != nullptr) write_detailed_header(*detailed, context);
  if (short_listing != nullptr) write_short_header(*short_listing, context);
}

void write_sections(const DeferredListing& listing, std::string* detailed, std::string* short_listing) {
  for (const ListingSection& section : listing.sections) {
    const ListingContext context{listing.crystal,           listing.settings,  listing.composition,
                                 listing.crystal_file_name, listing.date_time, section.wavelength,
                                 section.wavelength_index};
    if (detailed != nullptr) write_detailed_section(*detailed, context, section.result);
    if (short_listing != nullptr) write_short_section(*short_listing, context, section.result);
  }
}

}  // namespace calvane
