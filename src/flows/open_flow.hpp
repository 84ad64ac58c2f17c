// Opening a crystal file as a new phase, and saving the current crystal.
#pragma once

#include <string>
#include <vector>

#include "flows/crystal_reading.hpp"
#include "model/workspace.hpp"

namespace calvane {

struct Program;

/// The filter of the crystal file-open dialog, one entry per CrystalFileKind.
inline constexpr const char* kCrystalOpenFilter =
    "Calvane format (*.cry|*.cry|Shelx format (*.inp;*.ins,*.res)|*.inp;*.ins,*.res|PowderCell format "
    "(*.cel)|*.cel|Lazy Pulverix format (*.lzy)|*.lzy|ICSD format (*.ics)|*.ics|CIF format (*.cif)|*.cif|";

/// The first entry of the dialog of "Open crystal structure...".
inline constexpr const char* kAllCrystalFilesFilter =
    "All crystal files (*.cry;*.ins;*.inp;*.res;*.cel;*.lzy;*.cif)|*.cry;*.ins;*.inp;*.res;*.cel;*.lzy;*.cif|";

/// Handler of the entries under "Open a crystal data file": sets the kind
/// from the entry and runs the open flow.
void open_crystal_file_of_kind(Program& program, CrystalFileKind kind);

/// "Open crystal structure...": the open flow with every crystal format in
/// the dialog; the kind comes from the file's extension, or from its content
/// when the extension names none.
void open_crystal_structure(Program& program);

/// The parent entry "Open a crystal data file": hides "Restore".
void reset_before_crystal_open(Program& program);

/// Makes the working crystal the new last phase, with the fractions and
/// defaults of a newly loaded phase, and shows it.
void add_loaded_phase(Program& program);

/// The notice shown once after a file opens: what its reader assumed.
std::string read_notes_text(const std::string& file_name, const std::vector<std::string>& notes);

/// Rewrites the "Phases Data" table from the phases.
void refresh_phase_table(Program& program);

/// "Save the current crystal data".
void save_current_crystal(Program& program);

}  // namespace calvane
