#include "flows/colours_window.hpp"

#include <optional>
#include <vector>

#include "plot/colours.hpp"
#include "util/files.hpp"
#include "util/text.hpp"
#include "flows/program.hpp"

namespace calvane {

namespace {

constexpr int kMaxPenWidth = 99;

std::optional<int> pen_width_of(const ColourRow& row) {
  const auto value = parse_integer(row.pen_width);
  if (!value || *value < 1 || *value > kMaxPenWidth) return std::nullopt;
  return static_cast<int>(*value);
}

// The pen-width boxes that Apply reads, with the text naming each in a message.
std::vector<std::pair<const ColourRow*, std::string>> rows_to_check(const ColoursForm& form,
                                                                    const Workspace& ws) {
  std::vector<std::pair<const ColourRow*, std::string>> rows{{&form.sum, "the sum"}};
  for (std::size_t i = 0; i < ws.observed_patterns.size() && i < kMaxObservedPatterns; ++i)
    rows.emplace_back(&form.patterns[i], "observed pattern " + std::to_string(i + 1));
  for (std::size_t i = 0; i < ws.observed_peaks.size() && i < kMaxObservedPeakLists; ++i)
    rows.emplace_back(&form.peaks[i], "observed peak list " + std::to_string(i + 1));
  for (std::size_t i = 0; i < ws.phases.size() && i < kMaxPhases; ++i)
    rows.emplace_back(&form.phases[i], "phase " + std::to_string(i + 1));
  return rows;
}

}  // namespace

void create_colours_form(ColoursForm& form, Program& program) {
  DisplayStyles& styles = program.workspace.styles;
  styles = DisplayStyles{};
  for (auto& row : form.patterns) row.style_index = 2;  // "Lines&Points"
  if (const auto path = find_file_ignoring_case(program.program_folder, kColoursFileName)) {
    const auto lines = read_text_lines(*path);
    const std::string problem =
        lines ? parse_colours_file(*lines, styles) : std::string(kColoursFileName) + " cannot be read";
    if (!problem.empty()) program.ui.warning(problem);
  }
  form.background = styles.background;
  form.text = styles.text;
  form.sum.colour = styles.sum_colour;
  program.main_form.phases.sum_colour = styles.sum_colour;  // the sum's colour box of the phase table
  for (std::size_t i = 0; i < kMaxPhases; ++i) form.phases[i].colour = styles.phase_colours[i];
  for (std::size_t i = 0; i < kMaxObservedPatterns; ++i) form.patterns[i].colour = styles.pattern_colours[i];
  for (std::size_t i = 0; i < kMaxObservedPeakLists; ++i) form.peaks[i].colour = styles.peak_colours[i];
}

void fill_colours_form(ColoursForm& form, const Workspace& workspace) {
  const DisplayStyles& styles = workspace.styles;
  form.background = styles.background;
  form.text = styles.text;
  form.sum.colour = styles.sum_colour;
  form.sum.pen_width = std::to_string(styles.sum_pen_width);
  form.sum.style_index = styles.sum_pen_style;
  for (std::size_t i = 0; i < kMaxPhases; ++i) {
    ColourRow& row = form.phases[i];
    if (i < workspace.phases.size()) {
      const PhaseData& phase = workspace.phases[i];
      row.name = file_name_of(phase.file_name);
      row.colour = phase.colour;
      row.pen_width = std::to_string(phase.pen_width);
      row.style_index = phase.pen_style;
    } else {
      row.name.clear();
      row.colour = styles.phase_colours[i];
    }
  }
  for (std::size_t i = 0; i < kMaxObservedPatterns; ++i) {
    ColourRow& row = form.patterns[i];
    row.colour = styles.pattern_colours[i];
    row.name.clear();
    if (i >= workspace.observed_patterns.size()) continue;
    row.name = workspace.observed_patterns[i].file_name;
    row.pen_width = std::to_string(styles.pattern_pen_widths[i]);
    row.style_index = styles.pattern_styles[i] - 1;
    row.draw = workspace.observed_patterns[i].draw;
  }
  for (std::size_t i = 0; i < kMaxObservedPeakLists; ++i) {
    ColourRow& row = form.peaks[i];
    row.colour = styles.peak_colours[i];
    row.name.clear();
    if (i >= workspace.observed_peaks.size()) continue;
    row.name = file_name_of(workspace.observed_peaks[i].file_name);
    row.pen_width = std::to_string(styles.peak_pen_widths[i]);
    row.draw = workspace.observed_peaks[i].draw;
  }
}

bool apply_colours(ColoursForm& form, Program& program) {
  Workspace& workspace = program.workspace;
  for (const auto& [row, what] : rows_to_check(form, workspace)) {
    if (!pen_width_of(*row)) {
      program.ui.warning("The pen width of " + what + " must be a whole number from 1 to " +
                         std::to_string(kMaxPenWidth) + ".");
      return false;
    }
  }
  DisplayStyles& styles = workspace.styles;
  program.mark_workspace_modified();  // the workspace file keeps the colours, pens and styles
  styles.sum_colour = form.sum.colour;
  styles.sum_pen_style = form.sum.style_index;
  styles.sum_pen_width = *pen_width_of(form.sum);
  program.main_form.phases.sum_colour = form.sum.colour;
  styles.text = form.text;
  styles.background = form.background;
  for (std::size_t i = 0; i < workspace.observed_patterns.size() && i < kMaxObservedPatterns; ++i) {
    workspace.observed_patterns[i].draw = form.patterns[i].draw;
    styles.pattern_colours[i] = form.patterns[i].colour;
    styles.pattern_styles[i] = form.patterns[i].style_index + 1;
    styles.pattern_pen_widths[i] = *pen_width_of(form.patterns[i]);
  }
  for (std::size_t i = 0; i < workspace.observed_peaks.size() && i < kMaxObservedPeakLists; ++i) {
    workspace.observed_peaks[i].draw = form.peaks[i].draw;
    styles.peak_colours[i] = form.peaks[i].colour;
    styles.peak_pen_widths[i] = *pen_width_of(form.peaks[i]);
  }
  for (std::size_t i = 0; i < workspace.phases.size() && i < kMaxPhases; ++i) {
    PhaseData& phase = workspace.phases[i];
    phase.colour = styles.phase_colours[i] = form.phases[i].colour;
    phase.pen_width = styles.phase_pen_widths[i] = *pen_width_of(form.phases[i]);
    phase.pen_style = styles.phase_pen_styles[i] = form.phases[i].style_index;
    program.main_form.phases.rows[i].colour = phase.colour;
  }
  return true;
}

void save_colour_choice(Program& program) {
  const Workspace& workspace = program.workspace;
  std::array<Rgb, kMaxPhases> phase_colours = workspace.styles.phase_colours;
  for (std::size_t i = 0; i < workspace.phases.size() && i < kMaxPhases; ++i)
    phase_colours[i] = workspace.phases[i].colour;
  const std::filesystem::path path = program.program_folder / kColoursFileName;
  const std::string problem =
      write_file_atomically(path, format_colours_file(workspace.styles, phase_colours));
  if (!problem.empty()) {
    program.ui.warning(std::string(kColoursFileName) + " could not be written: " + problem);
    return;
  }
  program.ui.information("The Selection has been saved");
}

void close_colours_window(ColoursForm& form, Program& program) {
  program.main_form.page = MainPage::PhasesData;
  form.visible = false;
  program.ui.show_window(WindowId::Colours, false);
}

}  // namespace calvane
