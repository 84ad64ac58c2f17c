// Readers of SHELX files: the instruction file (.ins, .inp) and the result
// listing (.res) in its two table layouts.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "model/current_crystal.hpp"
#include "util/message_sink.hpp"

namespace calvane {

/// 8π² as written in the instruction reader (B = 8π²·U).
inline constexpr double kEightPiSquaredInstructions = 78.9567018248;
/// 8π² with π = 3.141592653589793, used by the listing reader.
inline constexpr double kEightPiSquared = 8 * 3.141592653589793 * 3.141592653589793;

/// Anisotropic U11 U22 U33 U23 U13 U12 (Å², SHELX and CIF convention) to an
/// isotropic B = factor·Ueq, with Ueq = (1/3) Σi Σj Uij ai* aj* ai·aj from
/// Fischer & Tillmanns (1988), Acta Cryst. C44, 775. `cell` must hold its
/// derived reciprocal lengths.
double b_from_anisotropic_u(const CellParameters& cell, const std::array<double, 6>& u, double factor);

/// A SHELX parameter written with a free-variable reference, as the SHELXL
/// manual defines it: a value 10m + p with |p| < 5 means p fixed (m = 1),
/// p·FV(m) (m > 1), or, written negative, p·(1 − FV(m)). Smaller values are
/// plain numbers. Empty when FV(m) does not exist.
std::optional<double> resolve_free_variable(double value, const std::vector<double>& free_variables);

/// The crystal of a SHELX instruction file given as its lines; `name` is used
/// in messages. Site occupation factors and coordinates follow the
/// free-variable rules; an "+include" line is refused. Warnings go to `ui`;
/// empty on failure.
std::optional<CurrentCrystal> read_shelx_instructions(const std::vector<std::string>& lines,
                                                      const std::string& name, MessageSink& ui);

/// The crystal of a SHELX result listing. A .res that is an instruction file
/// (as SHELXL writes it) is read as one.
std::optional<CurrentCrystal> read_shelx_result(const std::vector<std::string>& lines,
                                                const std::string& name, MessageSink& ui);

}  // namespace calvane
