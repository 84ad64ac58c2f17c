// Symmetry operators of a space group: the operator grammar, lattice centring,
// the inversion partners, and the two routes that build a crystal's operator list.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/current_crystal.hpp"
#include "util/message_sink.hpp"

namespace calvane {

/// One row of an operator: rotation coefficients and translation.
struct OperatorRow {
  std::array<double, 3> coefficients{};
  double translation = 0;
};

/// The lattice letter: the symbol's first character after a leading "-";
/// "P" for every hexagonal ("HEXA") phase, whose R groups are told apart by
/// `add_centring` from the symbol itself.
char lattice_letter(std::string_view symbol, std::string_view system_code);

/// Centring translations for the symbol and the lattice letter already in
/// `symmetry`: the two obverse rhombohedral ones (1/3, 2/3, 2/3), (2/3, 1/3, 1/3)
/// for an "R" group of a hexagonal phase, else by letter (F, I, A, B, C); none
/// for P and for R on rhombohedral axes. Appends one block of copies of the
/// primitive operators per translation. False, and nothing changed, when the
/// list would exceed 192 operators.
bool add_centring(SymmetryData& symmetry, std::string_view symbol, std::string_view system_code);

/// Appends the inversion partner (−R, −t) of every operator, translations
/// brought back into [0, 1). False, and nothing changed, past 192 operators.
bool add_inverse_operators(SymmetryData& symmetry);

/// The translation texts of the operator grammar with their values, in the
/// order they are searched: "+1/2", "+1/3", "+2/3", "+1/4", "+3/4", "+1/6",
/// "+5/6", then the same negated.
struct TranslationText {
  std::string_view text;
  double value;
};
std::span<const TranslationText> translation_texts();

/// The text of a translation part as rows show it: brought once into [0, 1),
/// then the first of 0 ("    "), 1/2, 1/3, 2/3, 1/4, 3/4, 1/6, 5/6 within
/// 0.001; empty for 0 itself and for values outside the table.
std::string translation_text(double translation);

/// One component of a catalogue position ("-X+1/2", "X-Y", "Z+3/4"); empty
/// when it is outside the catalogue grammar.
std::optional<OperatorRow> decode_component(std::string_view component);

/// A row as text: " X", " Y", " Z", "-X", "-Y", "-Z", " X-Y", " Y-X", then the
/// translation ("+1/2", ...), upper case. Rows outside that list give only the
/// translation text.
std::string encode_row(const std::array<double, 3>& coefficients, double translation);

/// The three row texts of an operator joined by ",", at most 24 characters.
std::string operator_text(const SymmetryOperator& op);

/// Rewrites every operator text from its operator.
void rebuild_operator_texts(SymmetryData& symmetry);

/// The GETSPEC route: asks the generator for the operators of `crystal.symbol`
/// through "scfs.dat" in `current_folder`, then multiplies in the centring.
/// A symbol the generator does not know gives one warning and an empty
/// operator list. False, with the previous operators kept, when "scfs.dat"
/// cannot be read or is malformed.
bool build_operators_getspec(CurrentCrystal& crystal, const std::filesystem::path& current_folder, MessageSink& ui);

/// The ".pos" route: the record of `crystal.symbol` in the system's standard
/// catalogue, its inversion partners when it is centrosymmetric, and the
/// centring. A symbol written differently from the catalogue's ("P21/c" for
/// "P 1 21/c 1") finds its record. False, with the previous operators kept,
/// when no record is found or the catalogue is unreadable.
bool build_operators_pos(CurrentCrystal& crystal, const std::filesystem::path& program_folder, MessageSink& ui);

/// The operators of the crystal's symbol: from the standard catalogues of
/// `program_folder` when the crystal names no Hall symbol and they hold the
/// symbol, else from the operator generator, whose scratch file goes to
/// `scratch_folder`. Nothing happens without a symbol.
void build_symmetry_operators(CurrentCrystal& crystal, const std::filesystem::path& program_folder,
                              const std::filesystem::path& scratch_folder, MessageSink& messages);

}  // namespace calvane
