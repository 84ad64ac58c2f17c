#include "cli/options.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>

#include "experiment_io/output_formats.hpp"
#include "profile/wavelength_lines.hpp"
#include "util/text.hpp"

namespace calvane::cli {

namespace {

class ArgumentReader {
public:
  explicit ArgumentReader(const std::vector<std::string>& arguments) : arguments_(arguments) {}
  bool done() const { return next_ >= arguments_.size(); }
  const std::string& take() { return arguments_[next_++]; }
  std::string value_of(const std::string& option) {
    if (done()) throw std::invalid_argument(option + " needs a value");
    return take();
  }
  double number_of(const std::string& option) {
    std::string text = value_of(option);
    auto value = parse_double(text);
    if (!value) throw std::invalid_argument(option + ": \"" + text + "\" is not a number");
    return *value;
  }

private:
  const std::vector<std::string>& arguments_;
  std::size_t next_ = 0;
};

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return parts;
    start = end + 1;
  }
}

std::vector<std::pair<double, double>> parse_spectrum(const std::string& text) {
  std::vector<std::pair<double, double>> spectrum;
  for (const std::string& entry : split(text, ',')) {
    auto parts = split(entry, ':');
    auto lambda = parts.size() == 2 ? parse_double(parts[0]) : std::nullopt;
    auto intensity = parts.size() == 2 ? parse_double(parts[1]) : std::nullopt;
    if (!lambda || !intensity || *lambda <= 0 || *intensity < 0)
      throw std::invalid_argument("--spectrum: \"" + entry + "\" is not WAVELENGTH:INTENSITY");
    spectrum.emplace_back(*lambda, *intensity);
  }
  if (spectrum.size() > 4) throw std::invalid_argument("--spectrum: at most 4 wavelengths");
  return spectrum;
}

std::string known_line_names() {
  std::string names;
  for (const CharacteristicLine& line : kCharacteristicLines) names += (names.empty() ? "" : " ") + std::string(line.item);
  return names;
}

int line_index_of(const std::string& name) {
  if (auto index = characteristic_line_index(name)) return *index;
  throw std::invalid_argument("--line: unknown line \"" + name + "\"; the known lines are " + known_line_names());
}

std::string lower_extension(const std::string& name) {
  return to_lower(std::filesystem::path(name).extension().string());
}

// An output whose own extension chooses its format: the flows that write it
// would otherwise add an extension to a name without one.
std::string output_name(const std::string& option, const std::string& name,
                        const std::vector<std::string>& extensions) {
  const std::string extension = lower_extension(name);
  std::string list;
  for (const std::string& known : extensions) {
    if (extension == known) return name;
    list += (list.empty() ? "" : ", ") + known;
  }
  throw std::invalid_argument(option + ": \"" + name + "\" does not end in an extension that chooses the format (" +
                              list + ")");
}

bool names_a_workspace(const std::string& name) { return lower_extension(name) == ".cmp"; }

int whole_number(const std::string& option, const std::string& entry, const std::string& text, int low, int high) {
  auto value = parse_double(text);
  if (!value || *value != static_cast<int>(*value) || *value < low || *value > high)
    throw std::invalid_argument(option + ": \"" + entry + "\" needs a whole number from " + std::to_string(low) +
                                " to " + std::to_string(high) + " where it has \"" + text + "\"");
  return static_cast<int>(*value);
}

// P:h:k:l as the texture options write it; P from 1 to 8, indices not all 0.
std::pair<int, std::array<int, 3>> phase_and_direction(const std::string& option, const std::string& entry,
                                                       const std::vector<std::string>& parts) {
  const int phase = whole_number(option, entry, parts[0], 1, 8);
  std::array<int, 3> direction{};
  for (std::size_t i = 0; i < 3; ++i) direction[i] = whole_number(option, entry, parts[i + 1], -99, 99);
  if (direction == std::array<int, 3>{})
    throw std::invalid_argument(option + ": \"" + entry + "\" needs a direction other than 0 0 0");
  return {phase, direction};
}

OrientationSetting parse_orientation(const std::string& text) {
  const auto parts = split(text, ':');
  if (parts.size() != 5) throw std::invalid_argument("--po: \"" + text + "\" is not P:h:k:l:r");
  const auto [phase, direction] = phase_and_direction("--po", text, parts);
  auto ratio = parse_double(parts[4]);
  if (!ratio || !(*ratio > 0) || *ratio > 20) throw std::invalid_argument("--po: the ratio of \"" + text + "\" must be above 0 and at most 20");
  return {phase, direction, *ratio};
}

std::pair<int, double> parse_particle_radius(const std::string& text) {
  const auto parts = split(text, ':');
  if (parts.size() != 2) throw std::invalid_argument("--particle-radius: \"" + text + "\" is not P:MICROMETRES");
  const int phase = whole_number("--particle-radius", text, parts[0], 1, 8);
  auto radius = parse_double(parts[1]);
  if (!radius || *radius < 0 || *radius > 1000)
    throw std::invalid_argument("--particle-radius: the radius of \"" + text + "\" must be from 0 to 1000 micrometres");
  return {phase, *radius};
}

// The batch computes each file as a phase of its own and writes only its
// tables: the options of a run over one workspace have no place in it.
void check_batch_options(const Options& options) {
  if (!options.batch_inputs || !options.batch_out)
    throw std::invalid_argument("--batch INPUTS and --out DIR go together (--profile-xy and --resume need them)");
  if (!options.crystal_files.empty())
    throw std::invalid_argument("--batch takes its crystal files from INPUTS, not from the command line");
  const bool single_run_output = options.reflections_csv || options.peaks_file || options.workspace_file ||
                                 options.plot_file || options.report_file || options.profile_file ||
                                 options.listings_folder || options.fit || options.pattern_file ||
                                 !options.observed_patterns.empty() || !options.observed_peaks.empty() ||
                                 !options.percents.empty() || options.conventions_file;
  if (single_run_output)
    throw std::invalid_argument("--batch writes DIR/<name>.csv, DIR/<name>.xy and DIR/summary.csv only; "
                                "the outputs and inputs of a single run do not go with it");
}

}  // namespace

std::optional<int> characteristic_line_index(std::string_view name) {
  for (std::size_t i = 0; i < kCharacteristicLines.size(); ++i)
    if (to_lower(std::string(kCharacteristicLines[i].item)) == to_lower(std::string(name)))
      return static_cast<int>(i) + 1;
  return std::nullopt;
}

FitSelection parse_fit_selection(const std::string& list) {
  FitSelection selection;
  for (const std::string& entry : split(list, ',')) {
    const auto parts = split(entry, ':');
    const std::string& name = parts[0];
    if (name == "scale" && parts.size() == 1) continue;
    if (name == "zero" && parts.size() == 1) {
      selection.zero = true;
    } else if (name == "displacement" && parts.size() == 1) {
      selection.displacement = true;
    } else if (name == "size" && parts.size() == 1) {
      selection.size = true;
    } else if (name == "cell" && parts.size() == 1) {
      selection.cell = true;
    } else if (name == "background" && parts.size() == 2) {
      selection.background_order = whole_number("--fit", entry, parts[1], 0, 12);
    } else if (name == "po" && parts.size() == 5) {
      const auto [phase, direction] =
          phase_and_direction("--fit", entry, std::vector<std::string>(parts.begin() + 1, parts.end()));
      selection.orientations.push_back({phase, direction});
    } else {
      throw std::invalid_argument("--fit: \"" + entry +
                                  "\" is none of scale, background:N, zero, displacement, po:P:h:k:l, size, cell");
    }
  }
  return selection;
}

namespace {

// What the run is: help, version, the batch and overwriting. False when `argument` is none of them.
bool parse_run_option(const std::string& argument, ArgumentReader& reader, Options& options) {
  if (argument == "--help" || argument == "-h") {
    options.help = true;
  } else if (argument == "--version") {
    options.version = true;
  } else if (argument == "--batch") {
    options.batch_inputs = reader.value_of(argument);
  } else if (argument == "--out") {
    options.batch_out = reader.value_of(argument);
  } else if (argument == "--profile-xy") {
    options.profile_xy = true;
  } else if (argument == "--resume") {
    options.resume = true;
  } else if (argument == "--jobs") {
    options.jobs = whole_number(argument, argument, reader.value_of(argument), 1, 1024);
  } else if (argument == "--conventions") {
    options.conventions_file = output_name(argument, reader.value_of(argument), {".json"});
  } else if (argument == "--overwrite") {
    options.overwrite = true;
  } else {
    return false;
  }
  return true;
}

// The experiment and the phases' options. False when `argument` is none of them.
bool parse_experiment_option(const std::string& argument, ArgumentReader& reader, Options& options, int& wavelength_choices) {
  if (argument == "--lambda") {
    options.wavelength = reader.number_of(argument);
    if (*options.wavelength <= 0) throw std::invalid_argument("--lambda must be above 0");
    ++wavelength_choices;
  } else if (argument == "--line") {
    options.line = line_index_of(reader.value_of(argument));
    ++wavelength_choices;
  } else if (argument == "--spectrum") {
    options.spectrum = parse_spectrum(reader.value_of(argument));
    ++wavelength_choices;
  } else if (argument == "--neutrons") {
    options.neutrons = true;
  } else if (argument == "--synchrotron") {
    options.synchrotron_polarisation = reader.number_of(argument);
  } else if (argument == "--range") {
    options.range_low = reader.number_of(argument);
    options.range_high = reader.number_of(argument);
    if (options.range_high <= options.range_low) throw std::invalid_argument("--range: HIGH must exceed LOW");
  } else if (argument == "--uvw") {
    options.u = reader.number_of(argument);
    options.v = reader.number_of(argument);
    options.w = reader.number_of(argument);
  } else if (argument == "--points") {
    double points = reader.number_of(argument);
    if (points < 2 || points > 1600 || points != static_cast<int>(points))
    throw std::invalid_argument("--points must be a whole number from 2 to 1600");
    options.points = static_cast<int>(points);
  } else if (argument == "--size") {
    options.size = reader.number_of(argument);
  } else if (argument == "--strain") {
    options.strain = reader.number_of(argument);
  } else if (argument == "--percent") {
    for (const std::string& part : split(reader.value_of(argument), ',')) {
    auto value = parse_double(part);
    if (!value || *value < 0) throw std::invalid_argument("--percent: \"" + part + "\" is not a share");
    options.percents.push_back(*value);
    }
  } else if (argument == "--molar") {
    options.molar = true;
  } else if (argument == "--no-anomalous") {
    options.no_anomalous = true;
  } else {
    return false;
  }
  return true;
}

// Measured patterns, peak lists, scans and CIF blocks. False when `argument` is none of them.
bool parse_inputs_option(const std::string& argument, ArgumentReader& reader, Options& options) {
  if (argument == "--observed") {
    options.observed_patterns.push_back(reader.value_of(argument));
  } else if (argument == "--observed-peaks") {
    options.observed_peaks.push_back(reader.value_of(argument));
  } else if (argument == "--scan") {
    double scan = reader.number_of(argument);
    if (scan < 1 || scan != static_cast<int>(scan)) throw std::invalid_argument("--scan needs a scan number from 1");
    options.scan = static_cast<int>(scan);
  } else if (argument == "--use-file-wavelength") {
    options.use_file_wavelength = true;
  } else if (argument == "--block") {
    double block = reader.number_of(argument);
    if (block < 1 || block != static_cast<int>(block)) throw std::invalid_argument("--block needs a block number from 1");
    options.cif_block = static_cast<int>(block);
  } else {
    return false;
  }
  return true;
}

// The files written. False when `argument` is none of them.
bool parse_outputs_option(const std::string& argument, ArgumentReader& reader, Options& options) {
  if (argument == "--peaks") {
    options.peaks_file = output_name(argument, reader.value_of(argument), peak_list_output_extensions());
  } else if (argument == "--save-workspace") {
    options.workspace_file = output_name(argument, reader.value_of(argument), {std::string(".cmp")});
  } else if (argument == "--plot") {
    options.plot_file = reader.value_of(argument);
  } else if (argument == "--plot-size") {
    double width = reader.number_of(argument), height = reader.number_of(argument);
    if (width < 100 || height < 100 || width > 10000 || height > 10000)
      throw std::invalid_argument("--plot-size: W and H must be from 100 to 10000 pixels");
    options.plot_width = static_cast<int>(width);
    options.plot_height = static_cast<int>(height);
  } else if (argument == "--intensity-axis") {
    options.intensity_axis = true;
  } else if (argument == "--d-axis") {
    options.d_axis = true;
  } else if (argument == "--report") {
    options.report_file = reader.value_of(argument);
  } else if (argument == "--reflections") {
    options.reflections_csv = reader.value_of(argument);
  } else if (argument == "--profile") {
    options.profile_file = output_name(argument, reader.value_of(argument), profile_output_extensions());
  } else if (argument == "--listings") {
    options.listings_folder = reader.value_of(argument);
  } else {
    return false;
  }
  return true;
}

// The fit and the corrections of the calculated pattern. False when `argument` is none of them.
bool parse_fit_option(const std::string& argument, ArgumentReader& reader, Options& options) {
  if (argument == "--fit") {
    options.fit = parse_fit_selection(reader.value_of(argument));
  } else if (argument == "--fit-report") {
    options.fit_report = output_name(argument, reader.value_of(argument), {".json"});
  } else if (argument == "--fit-curves") {
    options.fit_curves = output_name(argument, reader.value_of(argument), {".csv"});
  } else if (argument == "--pattern") {
    options.pattern_file = output_name(argument, reader.value_of(argument), {".csv"});
  } else if (argument == "--zero") {
    options.zero_shift = reader.number_of(argument);
    if (std::abs(*options.zero_shift) > 5) throw std::invalid_argument("--zero must be within 5 degrees");
  } else if (argument == "--displacement") {
    options.displacement = reader.number_of(argument);
    if (std::abs(*options.displacement) > 5000) throw std::invalid_argument("--displacement must be within 5000 micrometres");
  } else if (argument == "--po") {
    options.orientations.push_back(parse_orientation(reader.value_of(argument)));
  } else if (argument == "--particle-radius") {
    options.particle_radii.push_back(parse_particle_radius(reader.value_of(argument)));
  } else {
    return false;
  }
  return true;
}

// The options that only make sense together, once all are read.
void check_options(const Options& options, int wavelength_choices) {
  if (options.batch_inputs || options.batch_out || options.profile_xy || options.resume) check_batch_options(options);
  if (options.batch_inputs) return;
  if ((options.fit_report || options.fit_curves) && !options.fit)
    throw std::invalid_argument("--fit-report and --fit-curves need --fit");
  if (options.fit && options.observed_patterns.empty() && options.crystal_files.empty())
    throw std::invalid_argument("--fit needs a measured pattern (--observed FILE)");
  if (wavelength_choices > 1) throw std::invalid_argument("choose one of --lambda, --line and --spectrum");
  if (options.neutrons && options.synchrotron_polarisation)
    throw std::invalid_argument("--neutrons and --synchrotron exclude each other");
  if (options.crystal_files.size() > 8) throw std::invalid_argument("at most 8 crystal files (one per phase)");
  if (options.crystal_files.empty() && options.observed_patterns.empty() &&
      options.observed_peaks.empty())
    throw std::invalid_argument("no crystal, workspace or observed file given");
  // A workspace holds phases of its own: its shares are counted once it is read.
  const bool workspace_input = std::any_of(options.crystal_files.begin(), options.crystal_files.end(), names_a_workspace);
  if (!workspace_input && !options.percents.empty() && options.percents.size() != options.crystal_files.size())
    throw std::invalid_argument("--percent needs one share per crystal file");
}

}  // namespace

Options parse_options(const std::vector<std::string>& arguments) {
  Options options;
  ArgumentReader reader(arguments);
  int wavelength_choices = 0;
  while (!reader.done()) {
    const std::string argument = reader.take();
    if (parse_run_option(argument, reader, options) ||
        parse_experiment_option(argument, reader, options, wavelength_choices) ||
        parse_inputs_option(argument, reader, options) || parse_outputs_option(argument, reader, options) ||
        parse_fit_option(argument, reader, options))
      continue;
    if (argument.starts_with("--")) throw std::invalid_argument("unknown option " + argument);
    options.crystal_files.push_back(argument);
  }
  if (options.help || options.version) return options;
  check_options(options, wavelength_choices);
  return options;
}

const char* usage() {
  return "usage: calvane-sim [options] CRYSTAL_FILE...   (one phase per file, in order; or one .cmp workspace)\n"
         "       calvane-sim [options] --batch FOLDER|LIST|- --out DIR [--profile-xy] [--resume] [--jobs N]\n"
         "                                    every crystal file on its own: DIR/<name>.csv, DIR/summary.csv\n"
         "  --version                         the program's version\n"
         "  --lambda L | --line NAME | --spectrum L1:I1,L2:I2,...   wavelength (default 1.5406 A);\n"
         "                                    NAME is a line of the list, CuKa1, MoKmoy, CrkBet, ...\n"
         "  --neutrons | --synchrotron P      source (default X-ray tube)\n"
         "  --range LOW HIGH                  2theta range in degrees (default 10 50)\n"
         "  --uvw U V W                       resolution (default 0 0 0.08)\n"
         "  --points N                        profile points, 2 to 1600 (default 1600)\n"
         "  --size A --strain S               every phase: crystallite size (A), strain (thousandths)\n"
         "  --percent P1,P2,... --molar       phase shares (weight percent unless --molar)\n"
         "  --no-anomalous                    f' = f'' = 0\n"
         "  --block N                         the data block of a CIF file (default: its only one)\n"
         "  --observed FILE                   a measured pattern in any format read (XRDML, RAW, brml, ras, xy,\n"
         "                                    UXD, GSAS, ...), its format recognised by content; repeatable\n"
         "  --scan N                          the scan of an observed file that holds several (default: the first)\n"
         "  --use-file-wavelength             take an observed file's wavelength when it differs from the calculation's\n"
         "  --observed-peaks FILE             a peak list, JCPDS card or calibrant d list; repeatable\n"
         "  --reflections OUT.csv             every phase's reflections\n"
         "  --peaks OUT.(prn|dif|di|cif)      the peak list of the last phase\n"
         "  --save-workspace OUT.cmp          the whole workspace (a .cmp input loads one)\n"
         "  --plot OUT.(png|svg|pdf|emf|bmp|jpg) --plot-size W H   the plot (default 1020 x 400)\n"
         "  --intensity-axis --d-axis         the plot with an intensity axis, against d (A) instead of 2theta\n"
         "  --report FILE                     the global report\n"
         "  --profile OUT.(sim|cpi|cpd)       the calculated profile of the last phase\n"
         "  --listings DIR                    copy the phases' listing files to DIR\n"
         "  --overwrite                       replace output files that exist (never an input file)\n"
         "  --zero DEG --displacement UM      zero shift (2theta) and sample displacement (goniometer radius 240 mm)\n"
         "  --po P:h:k:l:r                    March-Dollase texture of phase P along (h k l), ratio r; repeatable\n"
         "  --particle-radius P:UM            Brindley microabsorption of phase P for particles of this radius\n"
         "  --fit LIST                        fit to the first observed pattern; LIST from scale, background:N,\n"
         "                                    zero, displacement, po:P:h:k:l, size, cell (comma-separated)\n"
         "  --fit-report OUT.json             the fitted values, esds, fractions and figures of merit\n"
         "  --fit-curves OUT.csv              2theta, observed, calculated, background and difference of the fit\n"
         "  --conventions OUT.json            the tables, factors and defaults the calculation used\n"
         "  --pattern OUT.csv                 the phases at their weight shares as a measurement shows them, with the\n"
         "                                    corrections, highest point 10000: on the points of the first observed\n"
         "                                    pattern, else on the --range/--points grid\n";
}

}  // namespace calvane::cli
