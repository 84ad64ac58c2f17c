// The scattering types of a phase: building them from its atoms, with the
// form factors, the absorption points of "muro.dat" and the anomalous terms
// f′ and f″ of a table file.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "model/current_crystal.hpp"
#include "model/phase_data.hpp"

namespace calvane {

class MessageSink;

/// After the atoms of `crystal` change: types and type indices, form-factor
/// coefficients, absorption points from "muro.dat" of `data_folder`, and f′
/// and f″ from the phase's table (composition.anomalous_table, a file of
/// `data_folder`) at `wavelengths`, or 0 without a table. A phase with too
/// many elements or an element missing from the form-factor table gets a
/// beep and a warning and false, `crystal` unchanged; a missing absorption
/// table is warned about and the types stay without those values; an
/// unreadable anomalous table gives a warning and false, the types built.
bool prepare_scattering_types(CurrentCrystal& crystal, PhaseComposition& composition,
                              const std::vector<double>& wavelengths, const std::filesystem::path& data_folder,
                              MessageSink& messages);

/// Fills f′ and f″ of `types` from the table file at `path` for the
/// wavelengths, and records the table in `composition`. False after a
/// warning when the file cannot be read.
bool apply_anomalous_file(const std::filesystem::path& path, std::string_view table_name,
                          const std::vector<double>& wavelengths, std::vector<ScatteringType>& types,
                          PhaseComposition& composition, MessageSink& messages);

/// Sets f′ and f″ of `types` to 0 and forgets the composition's table.
void clear_anomalous_terms(std::vector<ScatteringType>& types, PhaseComposition& composition);

/// The phase's per-element anomalous table (PhaseComposition::anomalous) as
/// the types hold it.
void copy_anomalous_terms(const std::vector<ScatteringType>& types, PhaseComposition& composition);

}  // namespace calvane
