// The space group of a crystal read from a SHELX file, which carries
// operators (LATT and SYMM cards) but no symbol.
#pragma once

#include "crystal_io/current_crystal.hpp"

namespace calvane {

struct Program;

/// SHELX site occupation factors count the site's symmetry: an atom on a
/// site of m images among the n operators has sof = occupancy·m/n (SHELXL
/// manual, atom lists). Turns them into occupancies with the crystal's
/// operator list (left as they are when there is none).
void occupancies_from_site_occupation_factors(CurrentCrystal& crystal);

/// Reads the current crystal file with the SHELX reader its name calls for
/// (".res" the result listing, else the instruction reader), then builds the
/// operators from its LATT and SYMM cards and names the group. A phase being
/// restored keeps its symbol when the cards name none. Site occupation
/// factors become occupancies. 0 on success; 1 after
/// a warning, with the working crystal unchanged.
int read_shelx_file(Program& program);

/// After a SHELX read into the working crystal: when no group was named,
/// warns and shows the space-group window, where the user picks one; false
/// then, and the phase is added from that window.
bool complete_shelx_space_group(Program& program);

}  // namespace calvane
