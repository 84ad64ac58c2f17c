// The Python module `calvane`: crystal files read and powder patterns
// computed by the same functions as calvane-sim, with the same options.
// Each call works on its own workspace and scratch folder, and computes with
// the interpreter's lock released, so threads may call it at once.
#include <dlfcn.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "cli/run.hpp"
#include "cli/scratch_folder.hpp"
#include "cli/simulation.hpp"
#include "crystal_io/cif_reader.hpp"
#include "crystallography/operators.hpp"
#include "reports/conventions.hpp"
#include "util/message_sink.hpp"
#include "util/text.hpp"

namespace py = pybind11;

namespace calvane::python {

namespace {

/// The error every failure raises: its text is the program's message.
struct CalvaneError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// The data files: $CALVANE_DATA_DIR; else the build's program folder for the
/// module of the build tree; else `share/calvane` of the prefix the module is
/// installed under (`<prefix>/lib/python3*/dist-packages`); else that of the
/// prefix configured at build time.
std::filesystem::path data_folder() {
  if (const char* chosen = std::getenv("CALVANE_DATA_DIR"); chosen != nullptr && *chosen != '\0') return chosen;
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&data_folder), &info) != 0 && info.dli_fname != nullptr) {
    std::error_code error;
    const auto module_folder = std::filesystem::canonical(info.dli_fname, error).parent_path();
    if (!error && module_folder == std::filesystem::weakly_canonical(CALVANE_BUILD_MODULE_DIR, error))
      return CALVANE_BUILD_DATA_DIR;
    for (auto folder = module_folder; !error && folder.has_relative_path(); folder = folder.parent_path()) {
      const auto data = folder / "share" / "calvane";
      if (std::filesystem::exists(data / "spgr2.dat", error)) return data;
    }
  }
  return CALVANE_INSTALLED_DATA_DIR;
}

/// A private scratch folder for this call, and the folders a computation needs.
struct CallFolders {
  cli::ScratchFolder scratch;
  cli::CrystalFolders folders;
};
CallFolders call_folders() {
  std::ostringstream reasons;
  auto scratch = cli::ScratchFolder::create({}, reasons);
  if (!scratch) throw CalvaneError(trim(reasons.str()));
  const auto path = scratch->path();
  return {std::move(*scratch), {data_folder(), path}};
}

/// Keeps every message: the first warning becomes the exception's text.
class Messages final : public MessageSink {
public:
  void warning(std::string_view text) override {
    if (first_warning.empty()) first_warning = text;
  }
  void notice(std::string_view text) override { notices.emplace_back(text); }
  void beep() override {}
  std::string first_warning;
  std::vector<std::string> notices;
};

std::string number_text(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

}  // namespace

/// A crystal read from a file: what `read_crystal` returns and `simulate` takes.
struct Crystal {
  cli::OpenedCrystal opened;
  std::vector<std::string> warnings;  // what the reader assumed
};

namespace {

cli::Options block_options(const std::filesystem::path& path, const py::object& block) {
  cli::Options options;
  if (block.is_none()) return options;
  if (py::isinstance<py::int_>(block)) {
    options.cif_block = block.cast<int>();
    return options;
  }
  const std::string name = block.cast<std::string>();
  Messages messages;
  const auto blocks = scan_cif_file(path, path.filename().string(), messages);
  if (!blocks) throw CalvaneError(messages.first_warning);
  for (std::size_t i = 0; i < blocks->size(); ++i)
    if ((*blocks)[i].name == name) options.cif_block = static_cast<int>(i) + 1;
  if (!options.cif_block) throw CalvaneError(path.string() + " holds no data block \"" + name + "\"");
  return options;
}

Crystal read_crystal(const std::string& path, const py::object& block) {
  const cli::Options options = block_options(path, block);
  py::gil_scoped_release unlocked;
  CallFolders call = call_folders();
  Messages messages;
  std::ostringstream listing_of_blocks;
  auto opened = cli::open_crystal(path, options, call.folders, messages, listing_of_blocks);
  if (!opened) {
    std::string reason = !messages.first_warning.empty() ? messages.first_warning : trim(listing_of_blocks.str());
    if (reason.starts_with("calvane-sim: ")) reason.erase(0, 13);
    throw CalvaneError(reason.empty() ? path + " was not read" : reason);
  }
  std::vector<std::string> warnings = opened->crystal.read_notes;
  return Crystal{std::move(*opened), std::move(warnings)};
}

/// A path given as str or os.PathLike.
std::string path_text(const py::object& path) {
  return py::module_::import("os").attr("fspath")(path).cast<std::string>();
}

py::dict crystal_dict(const Crystal& crystal) {
  const CurrentCrystal& c = crystal.opened.crystal;
  py::list atoms, operators;
  for (const AtomSite& atom : c.atoms)
    atoms.append(py::dict(py::arg("name") = trim(atom.type) + trim(atom.label), py::arg("type") = atom.type,
                          py::arg("label") = atom.label, py::arg("x") = atom.x,
                          py::arg("y") = atom.y, py::arg("z") = atom.z, py::arg("occupancy") = atom.population,
                          py::arg("b") = atom.b));
  for (const SymmetryOperator& op : c.symmetry.operators) operators.append(operator_text(op));
  return py::dict(py::arg("path") = crystal.opened.path, py::arg("title") = trim(c.title),
                  py::arg("cell") = py::make_tuple(c.cell.a, c.cell.b, c.cell.c, c.cell.alpha, c.cell.beta, c.cell.gamma),
                  py::arg("space_group") = trim(c.symbol), py::arg("hall_symbol") = c.symmetry.hall_symbol,
                  py::arg("space_group_number") = c.symmetry.space_group_number > 0
                                                      ? py::object(py::int_(c.symmetry.space_group_number))
                                                      : py::object(py::none()),
                  py::arg("lattice") = std::string(1, c.symmetry.lattice_letter),
                  py::arg("centrosymmetric") = c.symmetry.centrosymmetric, py::arg("operators") = operators,
                  py::arg("atoms") = atoms, py::arg("warnings") = crystal.warnings);
}

/// The command line calvane-sim would be given for these arguments, so that
/// both check and read them alike.
std::vector<std::string> simulation_arguments(const py::object& wavelength, const std::string& radiation,
                                              const py::object& polarisation, const std::pair<double, double>& range,
                                              bool anomalous, const std::tuple<double, double, double>& uvw,
                                              const py::object& size, const py::object& strain,
                                              const py::object& points) {
  std::vector<std::string> arguments{"crystal.cry"};
  auto add = [&arguments](const char* option, const std::string& value) {
    arguments.emplace_back(option);
    arguments.push_back(value);
  };
  if (py::isinstance<py::str>(wavelength)) {
    add("--line", wavelength.cast<std::string>());
  } else if (py::isinstance<py::float_>(wavelength) || py::isinstance<py::int_>(wavelength)) {
    add("--lambda", number_text(wavelength.cast<double>()));
  } else {
    std::string spectrum;
    for (const auto& [lambda, weight] : wavelength.cast<std::vector<std::pair<double, double>>>())
      spectrum += (spectrum.empty() ? "" : ",") + number_text(lambda) + ":" + number_text(weight);
    add("--spectrum", spectrum);
  }
  if (radiation == "neutron") arguments.emplace_back("--neutrons");
  else if (radiation == "synchrotron")
    add("--synchrotron", number_text(polarisation.is_none() ? 0.5 : polarisation.cast<double>()));
  else if (radiation != "xray")
    throw CalvaneError("radiation: \"" + radiation + "\" is none of xray, neutron, synchrotron");
  arguments.insert(arguments.end(), {"--range", number_text(range.first), number_text(range.second), "--uvw",
                                     number_text(std::get<0>(uvw)), number_text(std::get<1>(uvw)),
                                     number_text(std::get<2>(uvw))});
  if (!anomalous) arguments.emplace_back("--no-anomalous");
  if (!size.is_none()) add("--size", number_text(size.cast<double>()));
  if (!strain.is_none()) add("--strain", number_text(strain.cast<double>()));
  if (!points.is_none()) add("--points", std::to_string(points.cast<int>()));
  return arguments;
}

/// A refusal of the command line, worded with the argument names of `simulate`.
std::string python_message(std::string text) {
  const std::pair<const char*, const char*> names[] = {
      {"--lambda", "wavelength"}, {"--line", "wavelength"}, {"--spectrum", "wavelength"},
      {"--synchrotron", "polarisation"}, {"--range", "two_theta"}, {"--points", "points"},
      {"--uvw", "uvw"}, {"--size", "size"}, {"--strain", "strain"}};
  for (const auto& [option, argument] : names)
    if (text.starts_with(option)) return argument + text.substr(std::string_view(option).size());
  return text;
}

template <typename T, typename Field>
py::array_t<T> column(const std::vector<Reflection>& lines, Field field) {
  py::array_t<T> array(static_cast<py::ssize_t>(lines.size()));
  auto out = array.template mutable_unchecked<1>();
  for (std::size_t i = 0; i < lines.size(); ++i) out(static_cast<py::ssize_t>(i)) = static_cast<T>(field(lines[i]));
  return array;
}

py::dict result_dict(const Workspace& workspace, const std::vector<std::string>& notices) {
  const PhaseData& phase = workspace.phase(1);
  const auto& r = phase.reflections;
  const cli::PatternPoints pattern = cli::grid_pattern(workspace);
  const double k = phase.scale_factor;
  py::dict result;
  result["h"] = column<int>(r, [](const Reflection& x) { return x.h; });
  result["k"] = column<int>(r, [](const Reflection& x) { return x.k; });
  result["l"] = column<int>(r, [](const Reflection& x) { return x.l; });
  result["multiplicity"] = column<int>(r, [](const Reflection& x) { return x.multiplicity; });
  result["wavelength"] = column<double>(r, [](const Reflection& x) { return x.wavelength; });
  result["d"] = column<double>(r, [](const Reflection& x) { return x.d; });
  result["two_theta"] = column<double>(r, [](const Reflection& x) { return x.two_theta; });
  result["intensity"] = column<double>(r, [](const Reflection& x) { return x.intensity; });
  result["k_intensity"] = column<double>(r, [k](const Reflection& x) { return k * x.intensity; });
  result["x"] = py::array_t<double>(static_cast<py::ssize_t>(pattern.two_theta.size()), pattern.two_theta.data());
  result["y"] = py::array_t<double>(static_cast<py::ssize_t>(pattern.intensity.size()), pattern.intensity.data());
  result["phase"] = trim(phase.crystal.title);
  result["space_group"] = trim(phase.crystal.symbol);
  result["warnings"] = notices;
  const std::string conventions = conventions_json(conventions_of(workspace));
  result["conventions"] = py::module_::import("json").attr("loads")(conventions);
  return result;
}

py::dict simulate(const py::object& crystal_or_path, const py::object& wavelength, const std::string& radiation,
                  const std::pair<double, double>& two_theta, bool anomalous,
                  const std::tuple<double, double, double>& uvw, const py::object& size, const py::object& strain,
                  const py::object& points, const py::object& polarisation) {
  cli::Options options;
  try {
    options = cli::parse_options(
        simulation_arguments(wavelength, radiation, polarisation, two_theta, anomalous, uvw, size, strain, points));
  } catch (const std::invalid_argument& error) {
    throw CalvaneError(python_message(error.what()));
  }
  std::optional<Crystal> given;
  if (py::isinstance<Crystal>(crystal_or_path)) given = crystal_or_path.cast<Crystal>();
  else given = read_crystal(path_text(crystal_or_path), py::none());
  cli::FileSimulation simulation;
  std::string notices;
  {
    py::gil_scoped_release unlocked;
    CallFolders call = call_folders();
    simulation = cli::simulate_crystal(std::move(given->opened), options, call.folders, &notices);
  }
  if (!simulation.workspace) throw CalvaneError(simulation.message);
  std::vector<std::string> warnings = given->warnings;
  std::istringstream computed(notices);
  for (std::string line; std::getline(computed, line);)
    if (std::find(warnings.begin(), warnings.end(), line) == warnings.end()) warnings.push_back(line);
  return result_dict(*simulation.workspace, warnings);
}

}  // namespace

}  // namespace calvane::python

PYBIND11_MODULE(calvane, module) {
  using namespace calvane::python;
  module.doc() = "Powder diffraction patterns of crystal files, computed by Calvane's engine.";
  py::register_exception<CalvaneError>(module, "CalvaneError", PyExc_RuntimeError);
  py::class_<Crystal>(module, "Crystal", "A crystal structure read from a file.")
      .def_property_readonly("path", [](const Crystal& c) { return c.opened.path; })
      .def_property_readonly("title", [](const Crystal& c) { return calvane::trim(c.opened.crystal.title); })
      .def_property_readonly("cell", [](const Crystal& c) { return py::object(crystal_dict(c)["cell"]); })
      .def_property_readonly("space_group", [](const Crystal& c) { return calvane::trim(c.opened.crystal.symbol); })
      .def_property_readonly("symmetry", [](const Crystal& c) {
        py::dict all = crystal_dict(c);
        return py::dict(py::arg("space_group") = all["space_group"], py::arg("number") = all["space_group_number"],
                        py::arg("hall_symbol") = all["hall_symbol"], py::arg("lattice") = all["lattice"],
                        py::arg("centrosymmetric") = all["centrosymmetric"], py::arg("operators") = all["operators"]);
      })
      .def_property_readonly("atoms", [](const Crystal& c) { return py::object(crystal_dict(c)["atoms"]); })
      .def_property_readonly("warnings", [](const Crystal& c) { return c.warnings; })
      .def("as_dict", &crystal_dict, "Everything read, as a dict.")
      .def("__repr__", [](const Crystal& c) {
        return "<calvane.Crystal " + calvane::trim(c.opened.crystal.title) + " (" +
               calvane::trim(c.opened.crystal.symbol) + ")>";
      });
  module.def(
      "read_crystal",
      [](const py::object& path, const py::object& block) { return read_crystal(path_text(path), block); },
      py::arg("path"), py::arg("block") = py::none(),
             "Reads a crystal file (.cry, .cif, SHELX .ins/.res, PowderCell .cel, Lazy-Pulverix .lzy). A CIF of "
             "several structures needs block, its 1-based number or its name.");
  module.def("simulate", &simulate, py::arg("crystal_or_path"), py::arg("wavelength") = 1.5406,
             py::arg("radiation") = "xray", py::arg("two_theta") = std::pair<double, double>(10, 90),
             py::arg("anomalous") = true, py::arg("uvw") = std::tuple<double, double, double>(0, 0, 0.08),
             py::arg("size") = py::none(), py::arg("strain") = py::none(), py::arg("points") = py::none(),
             py::arg("polarisation") = py::none(),
             "The powder pattern of one crystal. wavelength: in angstrom, a line name of calvane-sim --line "
             "(\"CuKa1\"), or a spectrum [(wavelength, weight), ...]; radiation: \"xray\", \"neutron\" or "
             "\"synchrotron\" (polarisation p, default 0.5); size in angstrom and strain in thousandths of "
             "delta d / d as calvane-sim takes them; points of the profile (at most 1600). Returns a dict of numpy "
             "arrays h, k, l, multiplicity, wavelength, d, two_theta, intensity, k_intensity and the profile x, y "
             "(highest point 10000), with phase, space_group, warnings and conventions.");
}
