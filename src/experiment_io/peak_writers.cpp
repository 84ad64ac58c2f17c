#include "experiment_io/peak_writers.hpp"

#include "model/crystal_system.hpp"

#include <algorithm>
#include <cmath>

#include "experiment_io/binary_io.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "util/text_out.hpp"
#include "model/experiment_settings.hpp"
#include "model/phase_data.hpp"

namespace calvane {

namespace {

double wavelength_at(const ExperimentSettings& settings, std::size_t index) {
  return index < settings.wavelengths.size() ? settings.wavelengths[index] : 0;
}

std::int16_t clamp16(double value) {
  return static_cast<std::int16_t>(std::clamp(std::round(value), -32768.0, 32767.0));
}

void write_cif_cell(TextOut& out, const PhaseData& phase) {
  const CellParameters& cell = phase.crystal.cell;
  auto tagged = [&out](std::string_view tag, double value, int decimals) {
    out.line(pad_right(tag, 32) + fixed(value, 10, decimals));
  };
  tagged("_cell_length_a", cell.a, 4);
  tagged("_cell_length_b", cell.b, 4);
  tagged("_cell_length_c", cell.c, 4);
  tagged("_cell_angle_alpha", cell.alpha, 2);
  tagged("_cell_angle_beta", cell.beta, 2);
  tagged("_cell_angle_gamma", cell.gamma, 2);
  tagged("_cell_volume", cell.volume, 2);
  out.line(pad_right("_cell_formula_units_Z", 32) + std::to_string(phase.composition.formula_units));
  out.line(pad_right("_symmetry_cell_setting", 32) + crystal_system_name(phase.crystal.system_code));
}

void write_cif_symmetry(TextOut& out, const PhaseData& phase) {
  const std::string symbol = trim(phase.crystal.symbol);
  if (!symbol.empty()) {
    if (phase.crystal.symmetry.hall_symbol.empty()) {
      out.line("_symmetry_space_group_name_H-M   '" + to_upper(symbol) + "'");
    } else {
      std::size_t blank = symbol.find(' ');
      std::string after = blank == std::string::npos ? std::string() : trim(std::string_view(symbol).substr(blank));
      out.line("_symmetry_space_group_name_Hall  '" + trim(substring(after, 0, 15)) + "'");
    }
    out.line();
  }
  out.line("loop_");
  out.line("          _symmetry_equiv_pos_as_xyz  ");
  for (const std::string& text : phase.crystal.symmetry.operator_texts) out.line("         '" + text + "'");
  out.line();
}

void write_cif_atoms(TextOut& out, const PhaseData& phase) {
  out.line("loop_");
  for (const char* tag : {"_atom_site_label", "_atom_site_fract_x", "_atom_site_fract_y", "_atom_site_fract_z",
                          "_atom_site_B_iso_or_equiv", "_atom_site_occupancy"})
    out.line(tag);
  for (const AtomSite& atom : phase.crystal.atoms)
    out.line(pad_right(trim(atom.type) + trim(atom.label), 6) + fixed(atom.x, 10, 5) + fixed(atom.y, 10, 5) +
             fixed(atom.z, 10, 5) + fixed(atom.b, 8, 2) + fixed(atom.population, 8, 2));
  out.line();
}

void write_cif_peaks(TextOut& out, const PhaseData& phase) {
  out.line("#Calculated peak positions");
  out.line("loop_");
  for (const char* tag : {"  _refln_index_h", "  _refln_index_k", "  _refln_index_l", "  _pd_peak_d_spacing",
                          "  _pd_peak_intensity", "  _refln_wavelength"})
    out.line(tag);
  double largest = 0;
  for (const Reflection& r : phase.reflections) largest = std::max(largest, r.intensity);
  for (const Reflection& r : phase.reflections) {
    double intensity = largest > 0 ? r.intensity * 1000 / largest : 0;
    out.line(fixed(r.h, 4) + fixed(r.k, 4) + fixed(r.l, 4) + fixed(r.d, 10, 5) + fixed(intensity, 10, 2) +
             fixed(r.wavelength, 10, 5));
  }
  out.line();
}

void write_cif_profile(TextOut& out, const PhaseData& phase, const ExperimentSettings& settings) {
  const auto count = static_cast<long long>(phase.profile.size());
  double first = settings.two_theta_low, last = settings.two_theta_high;
  out.line("#Calculated Profile");
  out.line("    _pd_proc_2theta_range_min  " + fixed(first, 8, 3));
  out.line("    _pd_proc_2theta_range_max  " + fixed(last, 8, 3));
  out.line("    _pd_proc_2theta_range_inc  " + fixed(count > 0 ? (last - first) / static_cast<double>(count) : 0, 8, 4));
  out.line("    _pd_proc_number_of_points  " + fixed(count, 5));
  out.line();
  out.line("loop_");
  out.line("    _pd_calc_intensity_total");
  double largest = 0;
  for (float v : phase.profile) largest = std::max(largest, static_cast<double>(v));
  for (float v : phase.profile) out.line(fixed(largest > 0 ? v * 1000.0 / largest : 0.0, 10, 2));
}

}  // namespace

std::string crystal_system_name(std::string_view code) {
  const CrystalSystem* system = crystal_system(code);
  return system ? std::string(system->name) : std::string();
}

PeakFileContent write_prn_peaks(const PhaseData& phase) {
  TextOut out;
  for (const Reflection& r : phase.reflections) out.line(fixed(r.two_theta, 8, 3));
  return {out.take(), 0};
}

PeakFileContent write_dif_peaks(const PhaseData& phase, const ExperimentSettings& settings) {
  const double first = wavelength_at(settings, 0), second = wavelength_at(settings, 1);
  const int count = std::min<int>(static_cast<int>(phase.reflections.size()), kMaxBinaryReflections);
  ByteWriter file;
  file.text("DIF2", 4);
  file.i16(1);
  file.i16(0);
  file.text(file_name_of(phase.file_name), 32);
  file.fill(148 + 2, ' ');
  file.f32(static_cast<float>(first));
  file.f32(static_cast<float>(second));
  file.f32(second > 0 && first != 0 ? static_cast<float>(second / first) : 0.0f);
  file.i16(0);
  file.fill(52, ' ');
  file.i16(96);
  file.i16(0);
  file.i16(4);
  file.i16(static_cast<std::int16_t>(count));
  file.i16(0);
  file.fill(86, ' ');
  for (int i = 0; i < count; ++i) {
    const Reflection& r = phase.reflections[static_cast<std::size_t>(i)];
    file.f32(static_cast<float>(r.two_theta));
    file.f32(static_cast<float>(r.intensity));
    file.fill(8, '\0');
  }
  return {file.take(), static_cast<int>(phase.reflections.size()) - count};
}

PeakFileContent write_di_peaks(const PhaseData& phase, const ExperimentSettings& settings) {
  const double first = wavelength_at(settings, 0), second = wavelength_at(settings, 1);
  // Positions are stored as 2θ × 200 in a signed 16-bit field: beyond
  // 163.835° they cannot be written and are left out.
  std::vector<const Reflection*> written;
  for (const Reflection& r : phase.reflections)
    if (std::round(r.two_theta * 200) <= 32767 && std::round(r.two_theta * 200) >= -32768 &&
        written.size() < static_cast<std::size_t>(kMaxBinaryReflections))
      written.push_back(&r);
  ByteWriter file;
  file.text("V3DI", 4);
  file.fill(80, ' ');
  file.u8(4);
  file.u8(5);
  file.fill(8, ' ');
  file.f64(first);
  file.f64(second);
  file.f64(second > 0 ? first / second : 0);
  file.fill(28, ' ');
  file.text(file_name_of(phase.file_name), 20);
  file.fill(6, ' ');
  for (int i = 0; i < 4; ++i) file.f64(0);
  file.i16(static_cast<std::int16_t>(written.size()));
  file.fill(44, ' ');
  for (const Reflection* r : written) {
    file.i16(clamp16(r->two_theta * 200));
    file.i16(0);
    file.i16(clamp16(r->intensity));
    file.i16(0);
    file.i16(0);
    file.i16(9);
  }
  return {file.take(), static_cast<int>(phase.reflections.size() - written.size())};
}

PeakFileContent write_powder_cif(const PhaseData& phase, const ExperimentSettings& settings) {
  std::string name = file_name_of(phase.file_name);
  name = name.substr(0, name.size() >= 4 ? name.size() - 4 : 0);
  TextOut out;
  out.line("data_" + name);
  out.line();
  out.line("_pd_block_id");
  out.line("Calculated_by_CalvaneMP");
  out.line();
  out.line("_pd_phase_name");
  out.line("\"" + name + "\"");
  out.line();
  write_cif_cell(out, phase);
  write_cif_symmetry(out, phase);
  write_cif_atoms(out, phase);
  write_cif_peaks(out, phase);
  write_cif_profile(out, phase, settings);
  out.line("#--eof");
  return {out.take(), 0};
}

}  // namespace calvane
