#include "crystallography/phase_listing.hpp"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "crystallography/reflection_list.hpp"
#include "util/text.hpp"

namespace calvane {

namespace {

// Lines are appended to the caller's text, which keeps its capacity from one
// computation to the next: a listing of ten thousand reflections is written
// in a few milliseconds, without reallocation or copying.
class TextBuffer {
public:
  explicit TextBuffer(std::string& text) : text_(text) {}
  TextBuffer& operator<<(std::string_view text) {
    text_.append(text);
    return *this;
  }
  TextBuffer& operator<<(char c) {
    text_.push_back(c);
    return *this;
  }
  /// A number written straight into the buffer (see `fixed`).
  TextBuffer& number(double value, int width, int decimals) {
    append_fixed(text_, value, width, decimals);
    return *this;
  }
  TextBuffer& integer(long long value, int width) {
    append_fixed(text_, value, width);
    return *this;
  }
  void reserve_more(std::size_t size) { text_.reserve(text_.size() + size); }

private:
  std::string& text_;
};

const char* const kRule76 = "----------------------------------------------------------------------------";

std::string right(std::string_view text, std::size_t width) {
  std::string out(text);
  if (out.size() < width) out.insert(0, width - out.size(), ' ');
  return out;
}

std::string integer(long long value, int width) { return fixed(value, width); }

// Numbers of a `<<` chain are written straight into the buffer.
struct Number {
  double value;
  int width, decimals;
};
Number num(double value, int width, int decimals) { return {value, width, decimals}; }
TextBuffer& operator<<(TextBuffer& out, const Number& n) { return out.number(n.value, n.width, n.decimals); }

struct Whole {
  long long value;
  int width;
};
Whole whole(long long value, int width) { return {value, width}; }
TextBuffer& operator<<(TextBuffer& out, const Whole& n) { return out.integer(n.value, n.width); }

bool is_neutron(const ListingContext& context) {
  return context.settings.source == RadiationSource::Neutrons;
}
bool is_synchrotron(const ListingContext& context) {
  return !is_neutron(context) && context.settings.xray_source == XRaySource::Synchrotron;
}

std::string cell_values(const CellParameters& cell) {
  return fixed(cell.a, 8, 3) + fixed(cell.b, 8, 3) + fixed(cell.c, 8, 3) + fixed(cell.alpha, 8, 3) +
         fixed(cell.beta, 8, 3) + fixed(cell.gamma, 8, 3);
}

std::string position_columns(const AtomSite& atom) {
  return fixed(atom.x, 9, 5) + fixed(atom.y, 9, 5) + fixed(atom.z, 9, 5) + fixed(atom.b, 6, 2) +
         fixed(atom.population, 8, 3) + fixed(atom.weight, 8, 3);
}

std::string xray_atom_row(const AtomSite& atom) {
  return right(atom.type, 2) + right(atom.label, 2) + position_columns(atom) + integer(atom.type_index, 5);
}

// Reflection rows are written piece by piece into the buffer (no line-long temporaries).
struct Hkl {
  const Reflection& r;
  int width;
};
TextBuffer& operator<<(TextBuffer& out, const Hkl& x) {
  return out << whole(x.r.h, x.width) << whole(x.r.k, x.width) << whole(x.r.l, x.width);
}

struct LineStart {
  std::size_t number;
  const Reflection& r;
};
TextBuffer& operator<<(TextBuffer& out, const LineStart& x) {
  return out << whole(static_cast<long long>(x.number), 3) << "  " << Hkl{x.r, 3};
}

struct IntensityRow {
  std::size_t number;
  const ComputedLine& line;
  double k;
};
TextBuffer& operator<<(TextBuffer& out, const IntensityRow& x) {
  const Reflection& r = x.line.reflection;
  return out << LineStart{x.number, r} << num(r.two_theta, 9, 3) << num(r.d, 8, 4)
             << whole(r.multiplicity, 4) << num(x.line.lorentz_polarisation, 7, 2) << "  "
             << num(x.k * r.intensity, 11, 2);
}

double wavelength_entry(const std::array<double, 4>& values, int index) {
  return index >= 1 && index <= 4 ? values[static_cast<std::size_t>(index - 1)] : 0.0;
}

int listed_wavelengths(const ListingContext& context) {
  return std::min(context.settings.wavelength_count(), 4);
}

void write_symmetry(TextBuffer& out, const ListingContext& context) {
  const SymmetryData& symmetry = context.crystal.symmetry;
  out << "\nSpace group positions:\n";
  for (std::size_t i = 0; i < symmetry.operators.size(); ++i)
    out << (i < symmetry.operator_texts.size() ? symmetry.operator_texts[i] : std::string()) << '\n';
  out << '\n';
  if (symmetry.centring_translations.size() >= 2) {
    out << "Bravais lattice translations:\n";
    for (const auto& t : symmetry.centring_translations)
      out << num(t[0], 10, 6) << num(t[1], 10, 6) << num(t[2], 10, 6) << '\n';
  }
}

void write_scattering_tables(TextBuffer& out, const ListingContext& context) {
  const int wavelengths = listed_wavelengths(context);
  out << "\nAtomic scattering factors \n      f(0)";
  for (int j = 0; j < wavelengths; ++j) out << "        f'        f\"";
  out << '\n';
  for (const ScatteringType& type : context.crystal.scattering_types) {
    out << type.symbol << num(type.c + type.a[0] + type.a[1] + type.a[2] + type.a[3], 10, 4);
    for (std::size_t j = 0; j < static_cast<std::size_t>(wavelengths); ++j)
      out << num(type.f_prime[j], 10, 4) << num(type.f_second[j], 10, 4);
    out << '\n';
  }
  out << "\nCromer Factors\n"
      << "       c       a1     b1       a2      b2      a3      b3      a4      b4\n";
  for (const ScatteringType& type : context.crystal.scattering_types) {
    out << type.symbol << num(type.c, 8, 4);
    for (std::size_t i = 0; i < 4; ++i) out << num(type.a[i], 8, 4) << num(type.b[i], 8, 4);
    out << '\n';
  }
}

}  // namespace

std::string exponent_text(double value) {
  if (!std::isfinite(value)) return fixed(value, 13, 4);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.4E", std::abs(value));
  std::string text(buffer);  // "1.2346E+02"
  const std::size_t e = text.find('E');
  const int exponent = std::stoi(text.substr(e + 1));
  char exponent_text[16];
  std::snprintf(exponent_text, sizeof exponent_text, "%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
  return (value < 0 ? "-" : " ") + text.substr(0, e + 1) + exponent_text;
}

std::string current_date_time() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%d/%m/%Y %H:%M:%S", &local);
  return buffer;
}

void write_detailed_header(std::string& text, const ListingContext& context) {
  TextBuffer out(text);
  const CurrentCrystal& crystal = context.crystal;
  if (is_neutron(context))
    out << " CALVANE : Powder diffraction diagram (Source: Neutrons)\n"
        << " -------------------------------------------------------\n\n";
  else if (is_synchrotron(context))
    out << "CALVANE. Powder diffraction diagram (Source: Synchrotron)\n"
        << "---------------------------------------------------------\n\n"
        << "Polarisation p=" << num(context.settings.polarisation, 7, 2) << '\n';
  else
    out << "CALVANE. Powder diffraction diagram (Source: X ray tube)\n"
        << "--------------------------------------------------------\n";
  out << "\nResults for " << context.crystal_file_name << '\n'
      << context.date_time << '\n'
      << crystal.title << '\n'
      << "Cell   : " << cell_values(crystal.cell) << '\n'
      << "Lambda : " << num(context.wavelength, 10, 5) << '\n'
      << "S.Group: " << crystal.symbol << '\n'
      << "Syst.  : " << crystal.system_code << '\n'
      << "Bravais: " << lattice_letter_of(crystal) << '\n'
      << (crystal.symmetry.centrosymmetric ? "Centro" : "Non Centro") << '\n';
  write_symmetry(out, context);
  out << "\nAsymetric unit content:\n";
  if (is_neutron(context)) {
    out << "       x        y        z      B      Pop.   Mult.   Fermi\n";
    for (const AtomSite& atom : crystal.atoms)
      out << right(atom.type, 2) << right(atom.label, 2) << position_columns(atom)
          << num(atom.fermi_length, 8, 3) << '\n';
    return;
  }
  out << "         x        y        z      B      Pop.   Mult. Elem. Nb.\n";
  for (const AtomSite& atom : crystal.atoms) out << xray_atom_row(atom) << '\n';
  write_scattering_tables(out, context);
}

void write_short_header(std::string& text, const ListingContext& context) {
  TextBuffer out(text);
  const CurrentCrystal& crystal = context.crystal;
  const std::string range = "2Theta Min =" + fixed(context.settings.two_theta_low, 7, 2) +
                            "\n2Theta Max =" + fixed(context.settings.two_theta_high, 7, 2) +
                            "\nAsymetric unit content:\n";
  if (is_neutron(context)) {
    out << "CALVANE : Powder diffraction diagram (Source: Neutrons)\n"
        << "-------------------------------------------------------\n\n"
        << "Results for " << context.crystal_file_name << '\n'
        << context.date_time << "\n\n"
        << "Results for:" << context.crystal_file_name << '\n'
        << "Cell     : " << cell_values(crystal.cell) << '\n'
        << "Sp. group: " << crystal.symbol << '\n'
        << "System   : " << crystal.system_code << '\n'
        << "Lattice  : " << lattice_letter_of(crystal) << '\n'
        << range << "       Nb     x        y        z      B      Pop.   Mult.   B Fermi \n";
    for (const AtomSite& atom : crystal.atoms)
      out << right(atom.type, 2) << right(atom.label, 2) << whole(atom.type_index, 5)
          << position_columns(atom) << num(atom.fermi_length, 8, 2) << '\n';
    out << '\n';
    return;
  }
  if (is_synchrotron(context))
    out << "CALVANE : Calculated powder diffraction diagram (Source: Synchrotron)\n"
        << kRule76 << "\n\nPolarisation p=" << num(context.settings.polarisation, 7, 2) << '\n';
  else
    out << "CALVANE : Calculated powder diffraction diagram (Source: Xray tube)\n" << kRule76 << '\n';
  out << context.date_time << "\n\n"
      << "Results for " << context.crystal_file_name << "\n\n"
      << "Cell    : " << cell_values(crystal.cell) << '\n'
      << "Sp.Group: " << crystal.symbol << '\n'
      << "System  : " << crystal.system_code << '\n'
      << "Lattice : " << lattice_letter_of(crystal) << '\n'
      << range << "         x        y        z      B      Pop.   Mult. Elem. Nb.\n";
  for (const AtomSite& atom : crystal.atoms) out << xray_atom_row(atom) << '\n';
  out << '\n';
}

void write_detailed_section(std::string& text, const ListingContext& context,
                            const WavelengthIntensities& result) {
  TextBuffer out(text);
  out.reserve_more(result.lines.size() * 90 * (4 + context.crystal.scattering_types.size()));
  const double k = result.scale_factor;
  if (is_neutron(context)) {
    out << "The intensities were multiplied by:" << exponent_text(k) << "\n\n"
        << "Results for lambda=" << num(context.wavelength, 8, 5) << "\n\n"
        << " No    h  k  l   2Theta   dhkl    N    LP       Intensity\n";
    for (std::size_t i = 0; i < result.lines.size(); ++i)
      out << IntensityRow{i + 1, result.lines[i], k} << '\n';
    out << "\nStructure factors\n No    h  k  l     A       B        F\n";
    for (std::size_t i = 0; i < result.lines.size(); ++i) {
      const ComputedLine& line = result.lines[i];
      out << LineStart{i + 1, line.reflection} << num(line.neutron.a, 8, 3) << num(line.neutron.b, 8, 3)
          << num(line.neutron.magnitude(), 9, 4) << '\n';
    }
    return;
  }
  const PhaseComposition& composition = context.composition;
  out << "\n\nResults for lambda=" << num(context.wavelength, 8, 5) << "\n\n"
      << "Formula             : " << composition.formula << '\n'
      << "Molecular weight    : " << num(composition.molecular_weight, 8, 2) << '\n'
      << "Nb of mole/cell     : " << whole(composition.formula_units, 4) << '\n'
      << "Specific weight     : " << num(composition.density, 8, 2) << '\n'
      << "Mass absorp.        : "
      << num(wavelength_entry(composition.mass_absorption, result.absorption_index), 8, 2) << "\n\n"
      << "The intensities were multiplied by:" << exponent_text(k) << '\n'
      << " Nb    h  k  l   2Theta   dhkl    N    LP       Intensity \n";
  for (std::size_t i = 0; i < result.lines.size(); ++i)
    out << IntensityRow{i + 1, result.lines[i], k} << '\n';
  out << "\nStructure factors\n"
      << " Nb    h  k  l     A+      B+      A-      B-       F+       F-      Fmoy\n";
  for (std::size_t i = 0; i < result.lines.size(); ++i) {
    const XrayStructureFactor& f = result.lines[i].xray;
    out << LineStart{i + 1, result.lines[i].reflection} << num(f.a_plus, 8, 2) << num(f.b_plus, 8, 2)
        << num(f.a_minus, 8, 2) << num(f.b_minus, 8, 2) << num(f.magnitude_plus(), 9, 2)
        << num(f.magnitude_minus(), 9, 2) << num(f.mean_magnitude(), 9, 2) << '\n';
  }
  out << "\nAtomic scattering factors\n"
      << " Nb    h  k  l   1/2dhkl   atom      f         f'       f'' \n";
  const std::vector<ScatteringType>& types = context.crystal.scattering_types;
  // The form factors the structure factors were made of, when the intensities kept them.
  const bool kept = result.form_factors.size() == result.lines.size() * types.size();
  for (std::size_t i = 0; i < result.lines.size(); ++i) {
    const Reflection& r = result.lines[i].reflection;
    const double s = 1 / (2 * r.d);
    out << LineStart{i + 1, r} << num(s, 10, 5) << '\n';
    for (std::size_t t = 0; t < types.size(); ++t) {
      const ScatteringType& type = types[t];
      const auto [real, imaginary] = kept ? result.form_factors[i * types.size() + t]
                                          : scattering_factor(type, s, context.wavelength_index);
      const double f_prime = context.wavelength_index >= 1 && context.wavelength_index <= 4
                                 ? type.f_prime[static_cast<std::size_t>(context.wavelength_index - 1)]
                                 : 0.0;
      out << std::string_view("                            ") << type.symbol << num(real - f_prime, 10, 2) << num(f_prime, 10, 2)
          << num(imaginary, 10, 2) << '\n';
    }
  }
}

void write_short_section(std::string& text, const ListingContext& context,
                         const WavelengthIntensities& result) {
  TextBuffer out(text);
  out.reserve_more(result.lines.size() * 90 + 400);
  const double k = result.scale_factor;
  const bool neutron = is_neutron(context);
  const bool rhombohedral = context.crystal.system_code == "RHOM";
  out << "\nResults for lambda=" << num(context.wavelength, 8, 5) << '\n';
  if (neutron)
    out << "\n\n";
  else
    out << "\nThe intensities were multiplied by:" << exponent_text(k) << "\n\n";
  out << (rhombohedral ? "   h   k   l   dhkl   2Theta  Mult  Lp      Fhkl   Intensity   Hexa indices"
                       : "   h   k   l   dhkl   2Theta  Mult  Lp      Fhkl   Intensity")
      << '\n';
  if (neutron) out << '\n';
  for (const ComputedLine& line : result.lines) {
    const Reflection& r = line.reflection;
    const double f = neutron ? line.neutron.magnitude() : line.xray.mean_magnitude();
    out << Hkl{r, 4} << num(r.d, 8, 4) << num(r.two_theta, 8, 3) << whole(r.multiplicity, 4)
        << num(line.lorentz_polarisation, 7, 2) << num(f, 10, 2) << num(k * r.intensity, 10, 2);
    if (rhombohedral)
      out << "    " << whole(r.h - r.k, 4) << whole(r.k - r.l, 3) << whole(r.h + r.k + r.l, 3);
    out << '\n';
  }
  out << '\n';
}

}  // namespace calvane
