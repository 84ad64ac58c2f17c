#include "ui/results_list.hpp"

#include <cmath>

#include "util/text.hpp"
#include "model/workspace.hpp"

namespace calvane {

namespace {

// The program's factor from 2θ in degrees to θ in radians.
constexpr double kTwoThetaDegreesToThetaRadians = 0.0087266584;

std::string heading(AngleScale scale) {
  switch (scale) {
    case AngleScale::Theta: return " Nb. h  k  l   Dhkl   Theta  K*Int. lambda";
    case AngleScale::TwoTheta: return " Nb. h  k  l   Dhkl  2Theta  K*Int. lambda";
    case AngleScale::Q: return "Nb. h  k  l   Dhkl     Q     K*Int. lambda";
  }
  return {};
}

void append_angle(std::string& line, AngleScale scale, double two_theta) {
  switch (scale) {
    case AngleScale::Theta: append_fixed(line, two_theta / 2, 8, 3); return;
    case AngleScale::TwoTheta: append_fixed(line, two_theta, 8, 3); return;
    case AngleScale::Q: append_fixed(line, 4 * M_PI * std::sin(two_theta * kTwoThetaDegreesToThetaRadians), 8, 4); return;
  }
}

}  // namespace

std::vector<std::string> results_list_lines(const Workspace& workspace) {
  const ExperimentSettings& settings = workspace.settings;
  std::vector<std::string> lines;
  lines.push_back(heading(settings.angle_scale));
  lines.push_back("_________________________________________________");
  for (int p = 1; p <= workspace.phase_count(); ++p) {
    const PhaseData& phase = workspace.phase(p);
    lines.push_back("Phase " + std::to_string(p) + "  scale factor K=" + fixed(phase.scale_factor, 10, 8));
    for (std::size_t i = 0; i < phase.reflections.size(); ++i) {
      const Reflection& r = phase.reflections[i];
      if (r.two_theta < settings.two_theta_low || r.two_theta > settings.two_theta_high) continue;
      std::string& line = lines.emplace_back();
      line.reserve(48);
      append_fixed(line, static_cast<long long>(i + 1), 3);
      append_fixed(line, static_cast<long long>(r.h), 3);
      append_fixed(line, static_cast<long long>(r.k), 3);
      append_fixed(line, static_cast<long long>(r.l), 3);
      append_fixed(line, r.d, 7, 3);
      append_angle(line, settings.angle_scale, r.two_theta);
      append_fixed(line, phase.scale_factor * r.intensity, 7, 2);
      append_fixed(line, r.wavelength, 8, 5);
    }
  }
  return lines;
}

std::optional<double> results_line_angle(const std::vector<std::string>& lines, int index) {
  if (index < 3 || index >= static_cast<int>(lines.size())) return std::nullopt;
  return parse_double(substring(lines[static_cast<std::size_t>(index)], 20, 8));
}

}  // namespace calvane
