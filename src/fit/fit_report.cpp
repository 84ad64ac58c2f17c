#include "fit/fit_report.hpp"

#include <array>
#include <charconv>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "util/text.hpp"

namespace calvane {

namespace {

bool chosen(const std::vector<bool>& flags, std::size_t p) { return p < flags.size() && flags[p]; }

// Shortest text that reads back as the same number; JSON has no NaN.
std::string json_number(double value) {
  if (!std::isfinite(value)) return "null";
  std::array<char, 32> buffer{};
  const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value).ptr;
  return std::string(buffer.data(), end);
}

std::string json_string(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string member(const std::string& key, const std::string& value) { return json_string(key) + ": " + value; }

std::string estimate_text(const Estimate& estimate, int width, int decimals) {
  return fixed(estimate.value, width, decimals) + "(" + trim(fixed(estimate.esd, 0, decimals)) + ")";
}

// A scale may be of any size: exponent form, 12 characters.
std::string scale_text(double value) {
  std::array<char, 32> buffer{};
  const int length = std::snprintf(buffer.data(), buffer.size(), "%12.5e", value);
  return std::string(buffer.data(), static_cast<std::size_t>(std::max(0, length)));
}

std::string status_text(FitStatus status) {
  switch (status) {
    case FitStatus::Converged: return "converged";
    case FitStatus::IterationLimit: return "iteration limit";
    case FitStatus::Cancelled: return "cancelled";
    case FitStatus::Refused: return "refused";
  }
  return "";
}

}  // namespace

std::vector<std::string> fit_table_lines(const FitResult& result, const FitChoices& choices) {
  std::vector<std::string> lines;
  lines.push_back("Fit to the measured pattern (" + status_text(result.status) + ", " +
                  std::to_string(result.evaluations) + " evaluations)");
  lines.push_back("  Rp=" + fixed(100 * result.rp, 0, 2) + " %  Rwp=" + fixed(100 * result.rwp, 0, 2) +
                  " %  Rexp=" + fixed(100 * result.expected_rwp, 0, 2) + " %  chi2=" + fixed(result.chi2, 0, 3));
  if (choices.zero_shift) lines.push_back("  Zero shift (deg 2theta) : " + estimate_text(result.zero_shift_deg, 0, 5));
  if (choices.displacement)
    lines.push_back("  Displacement (um)       : " + estimate_text(result.displacement_um, 0, 2));
  if (!result.background.empty()) {
    std::string line = "  Background (Chebyshev)  :";
    for (double coefficient : result.background) line += " " + fixed(coefficient, 0, 3);
    lines.push_back(line);
  }
  lines.push_back("  Phase          Scale          Weight %       Molar %   PO ratio     Size (A)   Cell scale");
  for (std::size_t p = 0; p < result.phases.size(); ++p) {
    const PhaseFitResult& phase = result.phases[p];
    Estimate weight = phase.weight_fraction;
    weight.value *= 100;
    weight.esd *= 100;
    std::string line = "  " + std::to_string(p + 1) + " " + phase.name;
    lines.push_back(line);
    line = "                 " + scale_text(phase.scale.value) + "  " + estimate_text(weight, 7, 2) + "  " +
           fixed(100 * phase.molar_fraction, 7, 2) + "  ";
    line += chosen(choices.orientation, p) ? estimate_text(phase.orientation_ratio, 0, 4) : std::string("-");
    line += "  ";
    line += chosen(choices.size, p) ? estimate_text(phase.crystal_size_angstrom, 0, 0) : std::string("-");
    line += "  ";
    line += chosen(choices.cell, p) ? estimate_text(phase.cell_scale, 0, 5) : std::string("-");
    lines.push_back(line);
  }
  for (const std::string& note : result.notes) lines.push_back("  " + note);
  return lines;
}

std::string fit_report_json(const FitResult& result, const FitChoices& choices) {
  std::vector<std::string> members{member("status", json_string(status_text(result.status))),
                                   member("rwp", json_number(result.rwp)), member("rp", json_number(result.rp)),
                                   member("expected_rwp", json_number(result.expected_rwp)),
                                   member("chi2", json_number(result.chi2))};
  if (choices.zero_shift) {
    members.push_back(member("zero_shift_deg", json_number(result.zero_shift_deg.value)));
    members.push_back(member("zero_shift_esd_deg", json_number(result.zero_shift_deg.esd)));
  }
  if (choices.displacement) {
    members.push_back(member("displacement_um", json_number(result.displacement_um.value)));
    members.push_back(member("displacement_esd_um", json_number(result.displacement_um.esd)));
  }
  if (choices.background_order >= 0) {
    std::string list;
    for (double coefficient : result.background) list += (list.empty() ? "" : ", ") + json_number(coefficient);
    members.push_back(member("background", "[" + list + "]"));
  }
  std::string phases;
  for (std::size_t p = 0; p < result.phases.size(); ++p) {
    const PhaseFitResult& phase = result.phases[p];
    std::vector<std::string> fields{member("file", json_string(phase.name)),
                                    member("scale", json_number(phase.scale.value)),
                                    member("scale_esd", json_number(phase.scale.esd)),
                                    member("weight_percent", json_number(100 * phase.weight_fraction.value)),
                                    member("weight_percent_esd", json_number(100 * phase.weight_fraction.esd)),
                                    member("molar_percent", json_number(100 * phase.molar_fraction))};
    if (chosen(choices.orientation, p)) {
      fields.push_back(member("po_ratio", json_number(phase.orientation_ratio.value)));
      fields.push_back(member("po_ratio_esd", json_number(phase.orientation_ratio.esd)));
    }
    if (chosen(choices.size, p)) {
      fields.push_back(member("crystal_size_angstrom", json_number(phase.crystal_size_angstrom.value)));
      fields.push_back(member("crystal_size_esd_angstrom", json_number(phase.crystal_size_angstrom.esd)));
    }
    if (chosen(choices.cell, p)) {
      fields.push_back(member("cell_scale", json_number(phase.cell_scale.value)));
      fields.push_back(member("cell_scale_esd", json_number(phase.cell_scale.esd)));
    }
    if (phase.microabsorption != 1) fields.push_back(member("brindley_factor", json_number(phase.microabsorption)));
    std::string object;
    for (const std::string& field : fields) object += (object.empty() ? "" : ", ") + field;
    phases += std::string(phases.empty() ? "" : ",\n    ") + "{" + object + "}";
  }
  members.push_back(member("phases", "[\n    " + phases + "\n  ]"));
  std::string notes;
  for (const std::string& note : result.notes) notes += (notes.empty() ? "" : ", ") + json_string(note);
  members.push_back(member("notes", "[" + notes + "]"));
  std::string text = "{\n";
  for (std::size_t i = 0; i < members.size(); ++i) text += "  " + members[i] + (i + 1 < members.size() ? ",\n" : "\n");
  return text + "}\n";
}

}  // namespace calvane
