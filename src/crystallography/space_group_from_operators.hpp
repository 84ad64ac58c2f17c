// Naming a space group from the operators a crystal file lists (SHELX LATT and
// SYMM instructions), through the operator catalogue "spgr.peq".
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "model/current_crystal.hpp"
#include "util/message_sink.hpp"

namespace calvane {

/// One operator text "a,b,c" in the permissive grammar of imported files:
/// rotation parts such as "-X", "+Y", "X-Y", "Y-X", "X+Y", translations as
/// "1/2", "+1/3", "-3/4", any other fraction p/q, or decimals ("0.25"),
/// before or after the rotation part ("1/2-X", "-X+0.5"). Empty when a
/// component has no rotation part or an unreadable translation.
std::optional<SymmetryOperator> decode_operator(std::string_view text);

/// A row as text for imported operators: as `encode_row`, and (1, 1, 0) as "X+Y".
std::string encode_row_import(const std::array<double, 3>& coefficients, double translation);

/// The first entry of the system's section of "spgr.peq" whose lattice letter
/// is the symmetry's (an R entry also serves a primitive rhombohedral phase)
/// and whose operators, multiplied by the symmetry's
/// centring translations, are exactly the symmetry's operators (translations
/// compared modulo 1). Empty when none matches; a malformed entry or a missing
/// file is reported through `ui`.
std::optional<std::string> match_catalogue(const SymmetryData& symmetry, std::string_view system_code,
                                           const std::filesystem::path& program_folder, MessageSink& ui);

/// Builds the crystal's operators from the LATT and SYMM instructions of a
/// SHELX file and names the group from "spgr.peq" (the symbol is left empty
/// when no entry matches). A file without LATT is centrosymmetric and
/// primitive. False, with the crystal unchanged and one message shown, when
/// the file cannot be read or an instruction cannot be decoded.
bool space_group_from_file(CurrentCrystal& crystal, const std::filesystem::path& file,
                           const std::filesystem::path& program_folder, MessageSink& ui);

}  // namespace calvane
