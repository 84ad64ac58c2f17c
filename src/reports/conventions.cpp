#include "reports/conventions.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "util/text.hpp"

namespace calvane {

namespace {

// Sources as data/README.md records them for the files and built-in tables.
constexpr const char* kFormFactors =
    "International Tables for Crystallography Vol. C (1992), Table 6.1.1.4: f0(s) = sum of 4 Gaussians a_i "
    "exp(-b_i s^2) + c, s = sin(theta)/lambda (cctbx it1992)";
constexpr const char* kNeutronLengths = "V. F. Sears, Neutron News 3 (1992) 26-37 (coherent lengths, 1e-12 cm)";
constexpr const char* kAbsorptionTable =
    "muro.dat: mass attenuation coefficients mu/rho (xraylib CS_Total: photoelectric, coherent and incoherent)";

std::string anomalous_source_of(const std::string& table) {
  if (table == "Brcow.an") return "xraylib Fi and Fii (f'' = -Fii), 3 to 100 keV, refined around the K, L and M edges";
  if (table == "Sasaki.an") return "S. Sasaki, KEK Report 88-14 (1989), as cctbx.eltbx.sasaki holds it";
  return table.empty() ? "no anomalous correction: f' = f'' = 0" : "a table of the program folder";
}

PhaseConventions phase_conventions(const PhaseData& phase, std::size_t wavelengths, bool neutrons) {
  PhaseConventions out;
  out.name = trim(phase.crystal.title);
  out.file = phase.file_name;
  out.anomalous_table = neutrons ? "" : phase.composition.anomalous_table;
  out.anomalous_source = neutrons ? "not used with neutrons" : anomalous_source_of(out.anomalous_table);
  const std::size_t used = std::min<std::size_t>(wavelengths, 4);
  if (!neutrons) {
    for (const AnomalousTerms& element : phase.composition.anomalous) {
      ElementAnomalousTerms terms{trim(element.element), {}, {}};
      const auto end = static_cast<std::ptrdiff_t>(used);
      terms.f_prime.assign(element.f_prime.begin(), element.f_prime.begin() + end);
      terms.f_second.assign(element.f_second.begin(), element.f_second.begin() + end);
      out.anomalous.push_back(std::move(terms));
    }
  }
  out.reader_defaults = phase.crystal.read_notes;
  out.crystallite_size = phase.crystal_size;
  out.strain = phase.strain;
  return out;
}

}  // namespace

Conventions conventions_of(const Workspace& workspace) {
  const ExperimentSettings& settings = workspace.settings;
  const bool neutrons = settings.source == RadiationSource::Neutrons;
  const bool synchrotron = !neutrons && settings.xray_source == XRaySource::Synchrotron;
  Conventions c;
  c.radiation = neutrons ? "neutron" : synchrotron ? "synchrotron" : "xray tube";
  c.wavelengths = settings.wavelengths;
  c.form_factors = neutrons ? "" : kFormFactors;
  c.neutron_lengths = neutrons ? kNeutronLengths : "";
  c.absorption_table = neutrons ? "" : kAbsorptionTable;
  c.polarisation = synchrotron ? settings.polarisation : neutrons ? 0.0 : 0.5;
  c.lorentz_polarisation = neutrons      ? "1 / (cos(theta) sin^2(theta)), no polarisation"
                           : synchrotron ? "((1 - p) + p cos^2(2 theta)) / (cos(theta) sin^2(theta)), p the polarisation"
                                         : "(1 + cos^2(2 theta)) / 2 / (cos(theta) sin^2(theta)), unpolarised tube, "
                                           "no monochromator";
  c.absorption = neutrons ? "none"
                          : "every intensity of a wavelength divided by the sample's linear absorption coefficient "
                            "mu(lambda) = (sum of x_p (mu/rho)_p) (sum of x_p rho_p) over the phases (flat plate of "
                            "infinite thickness); no angle-dependent correction";
  c.multiplicity = "the number of distinct (h k l) equivalent under the Laue group (Friedel pairs counted as two)";
  c.displacement = "isotropic: exp(-B s^2) per atom, B in A^2; anisotropic values enter as their B_eq";
  c.intensity = neutrons ? "I = m |F|^2 L / Z^2, at least 0.05"
                         : "I = 1/2 m G Lp / (Z^2 mu(lambda)), G = (|F(hkl)|^2 + |F(-h-k-l)|^2) / 2, at least 0.05";
  for (int p = 1; p <= workspace.phase_count(); ++p)
    c.phases.push_back(phase_conventions(workspace.phase(p), c.wavelengths.size(), neutrons));
  return c;
}

namespace {

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string json_number(double value) {
  if (!std::isfinite(value)) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

std::string json_numbers(const std::vector<double>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) out += (i ? ", " : "") + json_number(values[i]);
  return out + "]";
}

std::string json_strings(const std::vector<std::string>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i) out += (i ? ", " : "") + json_string(values[i]);
  return out + "]";
}

std::string phase_json(const PhaseConventions& phase) {
  std::string out = "    {\n      \"name\": " + json_string(phase.name) + ",\n      \"file\": " + json_string(phase.file) +
                    ",\n      \"anomalous_table\": " + json_string(phase.anomalous_table) +
                    ",\n      \"anomalous_source\": " + json_string(phase.anomalous_source) +
                    ",\n      \"anomalous\": [";
  for (std::size_t i = 0; i < phase.anomalous.size(); ++i) {
    const ElementAnomalousTerms& terms = phase.anomalous[i];
    out += std::string(i ? "," : "") + "\n        {\"element\": " + json_string(terms.element) +
           ", \"f_prime\": " + json_numbers(terms.f_prime) + ", \"f_second\": " + json_numbers(terms.f_second) + "}";
  }
  out += std::string(phase.anomalous.empty() ? "" : "\n      ") + "],\n      \"reader_defaults\": " +
         json_strings(phase.reader_defaults) + ",\n      \"crystallite_size_A\": " +
         json_number(phase.crystallite_size) + ",\n      \"strain\": " + json_number(phase.strain) + "\n    }";
  return out;
}

}  // namespace

std::string conventions_json(const Conventions& c) {
  std::string out = "{\n";
  auto field = [&out](const char* key, const std::string& value) { out += "  \"" + std::string(key) + "\": " + value + ",\n"; };
  field("radiation", json_string(c.radiation));
  field("wavelengths_A", json_numbers(c.wavelengths));
  field("form_factors", json_string(c.form_factors));
  field("neutron_scattering_lengths", json_string(c.neutron_lengths));
  field("absorption_table", json_string(c.absorption_table));
  field("lorentz_polarisation", json_string(c.lorentz_polarisation));
  field("polarisation", json_number(c.polarisation));
  field("absorption", json_string(c.absorption));
  field("multiplicity", json_string(c.multiplicity));
  field("displacement", json_string(c.displacement));
  field("intensity", json_string(c.intensity));
  out += "  \"phases\": [";
  for (std::size_t i = 0; i < c.phases.size(); ++i) out += std::string(i ? "," : "") + "\n" + phase_json(c.phases[i]);
  return out + (c.phases.empty() ? "" : "\n  ") + "]\n}\n";
}

std::vector<std::string> conventions_report_lines(const Conventions& c) {
  std::vector<std::string> out{"Conventions (" + c.radiation + "):"};
  auto add = [&out](const std::string& label, const std::string& text) {
    if (!text.empty()) out.push_back("  " + label + ": " + text);
  };
  add("Form factors", c.form_factors);
  add("Neutron scattering lengths", c.neutron_lengths);
  add("Absorption table", c.absorption_table);
  add("Lorentz-polarisation", c.lorentz_polarisation + (c.radiation == "synchrotron" ? ", p = " + fixed(c.polarisation, 0, 3) : ""));
  add("Absorption", c.absorption);
  add("Multiplicity", c.multiplicity);
  add("Displacement", c.displacement);
  add("Intensity", c.intensity);
  for (const PhaseConventions& phase : c.phases) {
    const std::string file = std::filesystem::path(phase.file).filename().string();
    out.push_back("  Phase " + (phase.name.empty() ? file : phase.name + " (" + file + ")"));
    if (c.radiation != "neutron")
      add("  Anomalous terms", phase.anomalous_table.empty() ? phase.anomalous_source
                                                             : phase.anomalous_table + ", " + phase.anomalous_source);
    for (const ElementAnomalousTerms& terms : phase.anomalous)
      for (std::size_t j = 0; j < terms.f_prime.size(); ++j)
        out.push_back("    " + terms.element + "  lambda " + fixed(c.wavelengths[j], 0, 5) + " A  f' " +
                      fixed(terms.f_prime[j], 0, 4) + "  f'' " + fixed(terms.f_second[j], 0, 4));
    for (const std::string& note : phase.reader_defaults) out.push_back("    Default: " + note);
  }
  return out;
}

}  // namespace calvane
