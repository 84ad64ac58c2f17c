#include "plot/colours.hpp"

#include <vector>

#include "util/text.hpp"
#include "model/phase_data.hpp"

namespace calvane {

namespace {

template <std::size_t N>
std::string colour_row(const std::array<Rgb, N>& colours) {
  std::string line;
  for (const Rgb& colour : colours) line += fixed(static_cast<long long>(colour_number(colour)), 10);
  return line;
}

// Reads `count` colour numbers from the start of a line.
std::optional<std::vector<Rgb>> read_colours(const std::string& line, std::size_t count) {
  NumberScanner scanner(line);
  std::vector<Rgb> colours;
  while (colours.size() < count) {
    const auto number = scanner.next_integer();
    if (!number) return std::nullopt;
    const auto colour = colour_of_number(*number);
    if (!colour) return std::nullopt;
    colours.push_back(*colour);
  }
  return colours;
}

}  // namespace

std::uint32_t colour_number(Rgb colour) {
  return static_cast<std::uint32_t>(colour.red) | static_cast<std::uint32_t>(colour.green) << 8 |
         static_cast<std::uint32_t>(colour.blue) << 16;
}

std::optional<Rgb> colour_of_number(long long number) {
  if (number < 0 || number > 0xFFFFFF) return std::nullopt;
  return Rgb{static_cast<std::uint8_t>(number & 0xFF), static_cast<std::uint8_t>((number >> 8) & 0xFF),
             static_cast<std::uint8_t>((number >> 16) & 0xFF)};
}

std::string format_colours_file(const DisplayStyles& styles,
                                const std::array<Rgb, kMaxPhases>& phase_colours) {
  std::string text;
  text += std::to_string(colour_number(styles.background)) + "\n";
  text += std::to_string(colour_number(styles.text)) + "\n";
  text += std::to_string(colour_number(styles.sum_colour)) + "\n";
  text += colour_row(phase_colours) + "\n";
  text += colour_row(styles.pattern_colours) + "\n";
  text += colour_row(styles.peak_colours) + "\n";
  return text;
}

std::string parse_colours_file(const std::vector<std::string>& lines, DisplayStyles& styles) {
  static constexpr std::size_t counts[] = {1, 1, 1, kMaxPhases, kMaxObservedPatterns, kMaxObservedPeakLists};
  std::vector<std::vector<Rgb>> values;
  for (std::size_t i = 0; i < std::size(counts); ++i) {
    const std::string where = std::string(kColoursFileName) + ", line " + std::to_string(i + 1);
    if (i >= lines.size()) return where + ": the file ends too early";
    auto colours = read_colours(lines[i], counts[i]);
    if (!colours) return where + ": expected " + std::to_string(counts[i]) + " colour number(s)";
    values.push_back(std::move(*colours));
  }
  styles.background = values[0][0];
  styles.text = values[1][0];
  styles.sum_colour = values[2][0];
  std::copy(values[3].begin(), values[3].end(), styles.phase_colours.begin());
  std::copy(values[4].begin(), values[4].end(), styles.pattern_colours.begin());
  std::copy(values[5].begin(), values[5].end(), styles.peak_colours.begin());
  return {};
}

void apply_phase_display_defaults(const DisplayStyles& styles, PhaseData& phase, int number) {
  if (number < 1 || number > kMaxPhases) return;
  const auto slot = static_cast<std::size_t>(number - 1);
  phase.colour = styles.phase_colours[slot];
  phase.pen_width = styles.phase_pen_widths[slot];
  phase.pen_style = styles.phase_pen_styles[slot];
}

}  // namespace calvane
