// Presentation model of the main window: what its controls hold.
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/program_version.hpp"
#include "model/colour.hpp"
#include "model/limits.hpp"

namespace calvane {

enum class MainPage { ExperimentalData = 0, CrystalData = 1, PhasesData = 2, StyleOptions = 3 };

/// A number as a box shows it: the rounded text written there and the value
/// it stands for. While the box still holds that text the value is read back
/// whole, so showing a number and committing the box loses no precision.
struct ShownNumber {
  std::string text;
  double value = 0;
};

/// The value a box stands for: the shown value while its text is the shown
/// text, nothing when the user changed it (the caller then parses the text).
std::optional<double> unchanged_value(const std::optional<ShownNumber>& shown, const std::string& text);

/// A grid of texts: row 0 is the heading row. Numbers written with
/// `show_number` are remembered beside their texts (see ShownNumber).
struct TextGrid {
  std::vector<std::vector<std::string>> cells;
  std::map<std::pair<int, int>, ShownNumber> shown;  // (row, column) → number shown there

  int row_count() const { return static_cast<int>(cells.size()); }
  std::string cell(int row, int column) const;
  void set_cell(int row, int column, std::string text);
  /// Writes `text`, the display of `value`, and remembers the value.
  void show_number(int row, int column, double value, std::string text);
  /// The value of a cell the user has not changed since it was shown.
  std::optional<double> unchanged_number(int row, int column) const;
  void clear_below_heading();
  void clear();
  /// Inserts an empty row at `row` (1-based), moving the rows below, with
  /// their shown numbers, one place down; at most `max_rows` data rows stay.
  void insert_row(int row, int max_rows);
  /// Removes data row `row` (1-based), moving the rows below, with their
  /// shown numbers, one place up; the grid keeps its row count (an empty
  /// row comes in at the bottom).
  void remove_row(int row);
};

/// One row of the "Phases Data" table.
struct PhaseRow {
  std::string name;
  Rgb colour = kGrey192;
  bool draw = false;
  bool hkl = false;
  std::string percent;
  std::string size;
  std::string strain;
  bool display = false;  // "Crystal Data" check box
};

/// A cell field of the crystal page: its text, the number it was filled with,
/// and whether the system rules grey it.
struct CellField {
  std::string text;
  bool greyed = false;
  std::optional<ShownNumber> shown;

  /// Writes `shown_text`, the display of `value`, and remembers the value.
  void show_number(double value, std::string shown_text);
  /// The shown value while the text is untouched.
  std::optional<double> unchanged_value() const { return calvane::unchanged_value(shown, text); }
};

struct CrystalPageForm {
  bool panel_visible = false;
  bool apply_bar_visible = false;
  std::string apply_bar_caption;
  bool selector_visible = false;
  int selector_index = -1;  // 0-based radio of "Phase1".."Phase8", -1 none
  std::string data_caption = "Data";  // the status panel: "Data", or "Data (" + CIF name + ")"

  int system_index = -1;  // 0 "Cubic" .. 6 "Tric.", -1 none
  std::string title;
  std::array<CellField, 6> cell;  // a, b, c, α, β, γ
  std::string hermann_mauguin, hall, space_group_number;
  std::string molecular_weight, formula_units, formula, density;
  TextGrid xray_atoms;      // "Atom", "Lab.", "X", "Y", "Z", "B", "Pop"
  TextGrid neutron_atoms;   // the same and "B Fermi"
  TextGrid anomalous;       // 9 columns, 15 rows
  TextGrid absorption;      // "l", "m/r"
  bool modified = false;
  bool capture_panel_visible = false;  // keyboard capture: "Apply new phase", "Cancel"
  bool neutron_grid_visible = false;   // the neutron atom grid instead of the X-ray grid and tables
};

/// Caption of the resolution box: the instrumental half width at half maximum
/// Hi that the peak width H = √(Hi² + Hs² + He²) combines; Hi itself is
/// U tan²θ + V tanθ + W, not its square root.
inline constexpr const char* kResolutionCaption = "Resolution  Delta(2Theta)=U tan²θ + V tanθ + W";

struct ExperimentPageForm {
  std::string wavelength = "1.5406";
  int line_index = -1;
  bool default_wavelength_notice_visible = true;
  std::string range_low = "10", range_high = "50";
  // The range texts as the program last wrote them from the range it holds: a
  // field that still shows its text was not edited, and reading it keeps the
  // range at full precision instead of the rounded text (show_range_fields).
  std::string range_low_shown, range_high_shown;
  std::string range_low_caption = "2q1", range_high_caption = "2q2";
  bool range_captions_in_symbol_font = true;  // false: "MS sans serif" (Q1, Q2)
  int angle_scale_button = 1;  // 0 "Theta", 1 "2Theta", 2 "Q=4pi*sin(theta)", -1 none selected
  std::string u = "0", v = "0", w = "0.08";
  TextGrid spectrum;  // "Lambda", "%", "<mu><rho>"
  bool spectrum_visible = false;
};

/// Writes both range fields as the program's own texts (see range_low_shown).
inline void show_range_fields(ExperimentPageForm& page, std::string low, std::string high) {
  page.range_low = page.range_low_shown = std::move(low);
  page.range_high = page.range_high_shown = std::move(high);
}

struct PhasesPageForm {
  std::array<PhaseRow, kMaxPhases> rows;
  Rgb sum_colour{};
  bool sum_draw = true;          // ninth "Draw" box
  bool sum_toggle_pressed = false;
  bool observed_toggle_pressed = false;
  bool restore_visible = false;
  bool molar_percent = false;    // radio "Percent": "Weight %" or "Molec. %"
  std::string percent_caption = "Weight";
  int hkl_mode = 0;              // "mode1", "mode2"
};

struct MainForm {
  std::string caption = main_window_caption({}, false);
  int width = 1020;
  MainPage page = MainPage::ExperimentalData;
  bool xray_button_active = true;  // "X rays" red, "Neutrons" grey
  std::string source_caption = "Source: Xray tube";
  std::vector<std::string> results;
  int results_selected = -1;

  ExperimentPageForm experiment;
  CrystalPageForm crystal;
  PhasesPageForm phases;
};

}  // namespace calvane
