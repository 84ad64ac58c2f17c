// The "Crystal Data" page: system rules, showing a phase, decoding the page
// into the working crystal, and clearing it.
#pragma once

#include <string>
#include <string_view>

namespace calvane {

struct Program;
struct CrystalPageForm;
struct CellParameters;

/// The system list's items and their codes ("Cubic" is "CUBI").
inline constexpr const char* kSystemItems[7] = {"Cubic", "Tetra.", "Ortho.", "Hexa.", "Rhomb.", "Monoc.", "Tric."};
inline constexpr const char* kSystemCodes[7] = {"CUBI", "TETR", "ORTH", "HEXA", "RHOM", "MONO", "TRIC"};

/// Index of `code` in the system list, -1 when it is none of the seven.
int system_index_of(std::string_view code);

/// Greys and fills the cell fields that the system fixes (cubic: b = c = a,
/// angles 90; hexagonal: γ 120; rhombohedral: b = c = a, β = γ = α; ...).
void apply_system_constraints(CrystalPageForm& page, std::string_view system_code);

/// Leaving cell field `field` (0 a .. 5 γ): reads it when the system leaves it
/// free, stores it in the working cell and reapplies the rules.
void read_cell_field(Program& program, int field);

/// A click in the system list.
void choose_crystal_system(Program& program, int index);

/// Accepts incomplete decimals: "" → "0", " ." → "0.", ". " → ".0", "-." → "-0.", "3." → "3.0".
std::string normalise_number_text(std::string_view text);

/// Atom type as the grid shows it: first two letters, first upper-case, second lower-case.
std::string grid_atom_type(std::string_view type);

/// Writes a, b, c (4 decimals) and α, β, γ (2 decimals) into the cell fields,
/// each remembering its full value, and applies the system rules.
void show_cell_fields(CrystalPageForm& page, const CellParameters& cell, std::string_view system_code);

/// Writes the current phase into every control of the page.
void show_phase_page(Program& program);

/// The operator list of the working crystal's symbol: the standard
/// catalogues for a Hermann-Mauguin symbol, the generator for a Hall choice.
void build_symmetry_operators(Program& program);

/// Decodes the page into the working crystal; `store` then copies it into
/// the current phase (also after a decoding error, as the page is the authority).
/// Returns false when the decoding stopped on an error (its message shown).
bool decode_crystal_page(Program& program);
void commit_crystal_page(Program& program);

/// Empties the atom grids, the anomalous table, the cell and symbol fields;
/// deselects the system list and the phase selector.
void clear_crystal_page(Program& program);

/// The headings of the atom grids.
void set_atom_grid_headings(CrystalPageForm& page);

}  // namespace calvane

namespace calvane {

enum class AtomGrid { XRay, Neutron };

/// Tidies row `row` of `grid`, the row the user is leaving: an empty "Atom"
/// cell empties the row in both grids; otherwise the type is capitalised,
/// empty numeric cells become "0", a "Pop" of "0" becomes "1", the X-ray type
/// is checked against the ion table ("Unknown Ion: ...") and the row is
/// copied to the other grid with the element's Fermi length.
void tidy_atom_row(Program& program, AtomGrid grid, int row);

/// Selecting a cell of the X-ray grid (`leave_xray_atom_row`) or the neutron grid
/// (`leave_neutron_atom_row`): `left_row` is the row being left, `new_row` the one selected.
void leave_xray_atom_row(Program& program, int left_row, int new_row);
void leave_neutron_atom_row(Program& program, int left_row);

/// "Keyboard capture of crystal data": starts typing a new phase.
void start_keyboard_capture(Program& program);

/// "Cancel" of the capture panel.
void stop_capture(Program& program);

/// End of the capture ("Apply new phase"): checks the typed crystal, saves it
/// as a .cry file and adds it as a new phase.
void save_captured_crystal(Program& program);

/// "Restore modif": reads the current phase's file again, discarding edits.
void restore_data(Program& program);

}  // namespace calvane
