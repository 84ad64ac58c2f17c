// The command line of calvane-sim.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace calvane::cli {

/// What --fit refines: a choice of "scale", "background:N", "zero",
/// "displacement", "po:P:h:k:l", "size" and "cell". The scales are solved at
/// every step of any fit, so "scale" alone fits them and nothing else.
struct FitSelection {
  std::optional<int> background_order;  // 0..12
  bool zero = false, displacement = false, size = false, cell = false;
  struct Orientation {
    int phase = 0;  // 1-based
    std::array<int, 3> direction{};
  };
  std::vector<Orientation> orientations;
};

/// --po P:h:k:l:r: a phase's texture set without fitting it.
struct OrientationSetting {
  int phase = 0;
  std::array<int, 3> direction{};
  double ratio = 1;
};

struct Options {
  std::vector<std::string> crystal_files;  // one phase per file, in order

  std::optional<double> wavelength;                         // --lambda
  std::optional<int> line;                                  // --line NAME: index 1..20 of the line list
  std::vector<std::pair<double, double>> spectrum;          // --spectrum L1:I1,...
  bool neutrons = false;
  std::optional<double> synchrotron_polarisation;           // --synchrotron P
  double range_low = 10, range_high = 50;                   // degrees 2θ
  double u = 0, v = 0, w = 0.08;
  int points = 1600;
  std::optional<double> size;                               // Å, every phase
  std::optional<double> strain;                             // thousandths, every phase
  std::vector<double> percents;                             // phase shares
  bool molar = false;
  bool no_anomalous = false;
  bool overwrite = false;                                   // answers Yes to "already exists"

  std::vector<std::string> observed_patterns;               // --observed FILE (repeatable)
  std::vector<std::string> observed_peaks;                  // --observed-peaks FILE (repeatable)
  std::optional<int> cif_block;                             // --block N (1-based)
  std::optional<int> scan;                                  // --scan N of every observed file (1-based)
  bool use_file_wavelength = false;                         // --use-file-wavelength

  std::optional<std::string> reflections_csv;
  std::optional<std::string> peaks_file;                    // --peaks OUT.(prn|dif|di|cif)
  std::optional<std::string> workspace_file;                // --save-workspace OUT.cmp
  std::optional<std::string> plot_file;                     // --plot OUT.(png|svg|pdf|emf|bmp|jpg)
  int plot_width = 1020, plot_height = 400;                 // --plot-size W H
  bool intensity_axis = false;                              // --intensity-axis
  bool d_axis = false;                                      // --d-axis
  std::optional<std::string> report_file;                   // --report FILE
  std::optional<std::string> profile_file;
  std::optional<std::string> listings_folder;

  std::optional<FitSelection> fit;                          // --fit LIST
  std::optional<std::string> fit_report;                    // --fit-report OUT.json
  std::optional<std::string> fit_curves;                    // --fit-curves OUT.csv
  std::optional<std::string> pattern_file;                  // --pattern OUT.csv
  std::optional<double> zero_shift;                         // --zero DEG
  std::optional<double> displacement;                       // --displacement UM
  std::vector<OrientationSetting> orientations;             // --po P:h:k:l:r (repeatable)
  std::vector<std::pair<int, double>> particle_radii;       // --particle-radius P:UM (repeatable)

  std::optional<std::string> batch_inputs;                  // --batch FOLDER|LIST|-
  std::optional<std::string> batch_out;                     // --out DIR
  bool profile_xy = false;                                  // --profile-xy: DIR/<name>.xy beside each table
  bool resume = false;                                      // --resume: skip files whose outputs exist
  std::optional<int> jobs;                                  // --jobs N (default: every core)
  std::optional<std::string> conventions_file;              // --conventions OUT.json

  bool help = false;
  bool version = false;
};

/// Parses argv (without the program name). Throws std::invalid_argument with
/// a message naming the option on a bad command line.
Options parse_options(const std::vector<std::string>& arguments);

/// Index (1..20) of a characteristic X-ray line of the line list by its
/// name, without regard to case; empty for a name the list does not hold.
std::optional<int> characteristic_line_index(std::string_view name);

/// Parses the LIST of --fit. Throws std::invalid_argument naming the entry.
FitSelection parse_fit_selection(const std::string& list);

/// The usage text printed by --help and after a bad command line.
const char* usage();

}  // namespace calvane::cli
