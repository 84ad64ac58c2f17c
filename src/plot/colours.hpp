// Colour numbers and the colours file "couleurs.txt": the plot's background,
// text and sum colours and the colours of the eight phases, observed patterns
// and observed peak lists.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/display_styles.hpp"

namespace calvane {

struct PhaseData;

inline constexpr const char* kColoursFileName = "couleurs.txt";

/// The toolkit's 32-bit colour number: red in the low byte, then green, then blue.
std::uint32_t colour_number(Rgb colour);
/// The colour of a number; none when it does not fit in three bytes.
std::optional<Rgb> colour_of_number(long long number);

/// The six lines of "couleurs.txt" for these styles. `phase_colours` are the
/// colours the eight phase slots hold now.
std::string format_colours_file(const DisplayStyles& styles,
                                const std::array<Rgb, kMaxPhases>& phase_colours);

/// Reads the six lines into `styles`. On any fault (a short file, a line with
/// too few values, a value that is not a colour number) nothing is changed
/// and the returned text says what and where.
std::string parse_colours_file(const std::vector<std::string>& lines, DisplayStyles& styles);

/// Display defaults of a phase loaded into slot `number` (1-based).
void apply_phase_display_defaults(const DisplayStyles& styles, PhaseData& phase, int number);

}  // namespace calvane
