// The space group of a crystal read from a SHELX file, which carries
// operators (LATT and SYMM cards) but no symbol.
#pragma once

namespace calvane {

struct Program;

/// After a SHELX read into the working crystal: names the group from the
/// file's symmetry cards. When no group is found, warns and shows the
/// space-group window, where the user picks one; false then, and the phase
/// is added from that window.
bool complete_shelx_space_group(Program& program);

}  // namespace calvane
