#include "crystal_io/crystal_files.hpp"

#include "crystal_io/cif_reader.hpp"
#include "crystal_io/cry_file.hpp"
#include "crystal_io/crystal_file_kind.hpp"
#include "crystal_io/lazy_pulverix_reader.hpp"
#include "crystal_io/powdercell_reader.hpp"
#include "crystal_io/shelx_reader.hpp"
#include "crystal_io/system_check.hpp"
#include "crystallography/site_weights.hpp"
#include "crystallography/space_group_from_operators.hpp"
#include "util/files.hpp"

namespace calvane {

namespace {

std::string shown_name_of(const CrystalFileRequest& request) {
  return request.shown_name.empty() ? request.path.string() : request.shown_name;
}

/// A reader of text lines: the file's lines, its shown name, the messages.
template <typename LineReader>
std::optional<CurrentCrystal> read_lines_with(const CrystalFileRequest& request, MessageSink& messages,
                                              LineReader reader) {
  const std::string name = shown_name_of(request);
  auto lines = read_text_lines(request.path);
  if (!lines) {
    messages.warning("Cannot open the file " + name);
    return std::nullopt;
  }
  auto crystal = reader(*lines, name, messages);
  if (!crystal) return std::nullopt;
  if (crystal->atoms.empty()) {
    messages.warning("No detected atom in the file " + name);
    return std::nullopt;
  }
  return crystal;
}

std::optional<CurrentCrystal> read_shelx(const CrystalFileRequest& request, MessageSink& messages) {
  const bool result_listing = is_shelx_result_name(request.path);
  auto crystal = read_lines_with(request, messages, result_listing ? read_shelx_result : read_shelx_instructions);
  if (!crystal) return std::nullopt;
  if (!space_group_from_file(*crystal, request.path, request.data_folder, messages)) return std::nullopt;
  occupancies_from_site_occupation_factors(*crystal);
  return crystal;
}

std::optional<CurrentCrystal> read_cif(const CrystalFileRequest& request, MessageSink& messages) {
  const std::string name = shown_name_of(request);
  auto blocks = scan_cif_file(request.path, name, messages);
  if (!blocks) return std::nullopt;
  const CifBlockChoice& choice = request.block;
  const int count = static_cast<int>(blocks->size());
  std::size_t chosen = choice.number >= 1 && choice.number <= count ? static_cast<std::size_t>(choice.number - 1) : 0;
  for (std::size_t i = 0; i < blocks->size(); ++i)
    if (!choice.name.empty() && (*blocks)[i].name == choice.name) chosen = i;
  auto crystal = read_cif_file_block(request.path, name, (*blocks)[chosen], messages);
  if (crystal && crystal->atoms.empty()) {
    messages.warning("No detected atom in the file " + name);
    return std::nullopt;
  }
  return crystal;
}

}  // namespace

void occupancies_from_site_occupation_factors(CurrentCrystal& crystal) {
  const auto& operators = crystal.symmetry.operators;
  if (operators.empty()) return;
  for (AtomSite& atom : crystal.atoms) {
    const int images = site_multiplicity(operators, atom.x, atom.y, atom.z);
    if (images > 0) atom.population *= static_cast<double>(operators.size()) / images;
  }
}

std::optional<CurrentCrystal> read_native_crystal_file(const std::filesystem::path& path,
                                                       const std::filesystem::path& data_folder,
                                                       MessageSink& messages) {
  CurrentCrystal read;
  CryReadResult result = read_cry_file(path, read);
  if (!result.ok) {
    messages.warning(result.message);
    if (result.too_many_atoms) messages.warning("Read error in the data file");
    return std::nullopt;
  }
  if (auto number = find_space_group_number(data_file_in(data_folder, "csp.lst"), read.symbol)) {
    read.symmetry.space_group_number = *number;
    if (auto replacement = check_system(read.system_code, *number, read.symbol, messages)) read.symbol = *replacement;
  }
  return read;
}

std::optional<CurrentCrystal> read_crystal_file(const CrystalFileRequest& request, MessageSink& messages) {
  const auto csp_list = data_file_in(request.data_folder, "csp.lst");
  switch (request.kind) {
    case CrystalFileKind::Native:
      return read_native_crystal_file(request.path, request.data_folder, messages);
    case CrystalFileKind::Shelx:
      return read_shelx(request, messages);
    case CrystalFileKind::PowderCell:
      return read_lines_with(request, messages,
                             [&](const std::vector<std::string>& lines, const std::string& name, MessageSink& sink) {
                               return read_powdercell(lines, name, csp_list, sink);
                             });
    case CrystalFileKind::LazyPulverix:
      return read_lines_with(request, messages,
                             [&](const std::vector<std::string>& lines, const std::string& name, MessageSink& sink) {
                               return read_lazy_pulverix(lines, name, csp_list, sink);
                             });
    case CrystalFileKind::Icsd:
      messages.warning("ics format not available!");
      return std::nullopt;
    case CrystalFileKind::Cif:
      return read_cif(request, messages);
  }
  return std::nullopt;
}

}  // namespace calvane
