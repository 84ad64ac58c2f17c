#include "crystallography/engine.hpp"

#include "crystallography/intensities.hpp"
#include "crystallography/phase_listing.hpp"
#include "crystallography/reflection_list.hpp"
#include "workspace/program.hpp"

namespace calvane {

namespace {

double current_wavelength(const Workspace& workspace) {
  const int index = workspace.current_wavelength_index;
  const auto& wavelengths = workspace.settings.wavelengths;
  if (index >= 1 && index <= static_cast<int>(wavelengths.size()))
    return wavelengths[static_cast<std::size_t>(index - 1)];
  return wavelengths.empty() ? 0.0 : wavelengths.front();
}

// The listings name the phase's file as the user knows it, not the scratch
// copy a loaded workspace file was rebuilt into.
ListingContext listing_context(const Program& program, const PhaseListings& listings) {
  const Workspace& workspace = program.workspace;
  return ListingContext{workspace.crystal,
                        workspace.settings,
                        workspace.composition,
                        program.shown_file_name(workspace.crystal_file_name),
                        listings.date_time.empty() ? current_date_time() : listings.date_time,
                        current_wavelength(workspace),
                        workspace.current_wavelength_index};
}

}  // namespace

void write_listing_header(const Program& program, PhaseListings& listings) {
  const ListingContext context = listing_context(program, listings);
  if (listings.detailed != nullptr) write_detailed_header(*listings.detailed, context);
  if (listings.short_listing != nullptr) write_short_header(*listings.short_listing, context);
}

int compute_wavelength(Program& program, PhaseListings& listings) {
  Workspace& workspace = program.workspace;
  workspace.wavelength_reflections.clear();
  compute_derived_cell(workspace.crystal.cell);  // B follows the cell as it is now
  const double wavelength = current_wavelength(workspace);
  const ExperimentSettings& settings = workspace.settings;
  ReflectionListResult list = program.reflection_lists.get(workspace.crystal, wavelength, settings.two_theta_low,
                                                          settings.two_theta_high, program.ui);
  if (list.status != 0) {
    program.ui.beep();
    program.ui.warning("No reflection calculated in the given Theta range!");
    return 1;
  }
  const IntensityContext context{workspace.crystal,
                                 settings,
                                 workspace.composition,
                                 workspace.sample_absorption,
                                 workspace.current_wavelength_index,
                                 wavelength};
  const int phase = workspace.current_phase;
  StructureFactorCache& sums = phase >= 1 && phase <= kMaxPhases ? program.phase_sums[static_cast<std::size_t>(phase - 1)]
                                                                 : listings.cache;
  WavelengthIntensities result = settings.source == RadiationSource::Neutrons
                                     ? intensities_neutron(context, list.reflections, sums)
                                     : intensities_xray(context, list.reflections, sums);
  if (result.lines.empty()) return 0;
  workspace.scale_factor = result.scale_factor;
  workspace.wavelength_reflections.reserve(result.lines.size());
  for (const ComputedLine& line : result.lines) workspace.wavelength_reflections.push_back(line.reflection);
  if (listings.keep_sections) {
    listings.sections.push_back({wavelength, workspace.current_wavelength_index, std::move(result)});
    return 0;
  }
  const ListingContext listing = listing_context(program, listings);
  if (listings.detailed != nullptr) write_detailed_section(*listings.detailed, listing, result);
  if (listings.short_listing != nullptr) write_short_section(*listings.short_listing, listing, result);
  return 0;
}

DeferredListing take_sections(const Program& program, PhaseListings& listings) {
  const Workspace& workspace = program.workspace;
  DeferredListing listing{workspace.crystal,
                          workspace.settings,
                          workspace.composition,
                          program.shown_file_name(workspace.crystal_file_name),
                          listings.date_time.empty() ? current_date_time() : listings.date_time,
                          std::move(listings.sections)};
  listings.sections.clear();
  return listing;
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
