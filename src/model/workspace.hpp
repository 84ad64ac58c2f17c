// The single in-memory state of the running program.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "model/cif_block_table.hpp"
#include "model/current_crystal.hpp"
#include "model/display_styles.hpp"
#include "model/experiment_settings.hpp"
#include "model/limits.hpp"
#include "model/observed.hpp"
#include "model/pattern_corrections.hpp"
#include "model/phase_data.hpp"
#include "model/profile_grid.hpp"
#include "model/reflection.hpp"

namespace calvane {

/// Kind of crystal file, numbered as the entries of "Open a crystal data file".
enum class CrystalFileKind { Native = 1, Shelx = 2, PowderCell = 3, LazyPulverix = 4, Icsd = 5, Cif = 6 };

struct Workspace {
  std::vector<PhaseData> phases;  // phase p (1-based) is phases[p - 1]; at most 8
  int current_phase = 0;          // 1..phase_count, 0 when there is none

  // The working copy of the current phase.
  CurrentCrystal crystal;
  std::string crystal_file_name;  // lower-cased name as opened
  PhaseComposition composition;
  std::array<double, 4> sample_absorption{};  // μ(λ) of the whole sample per wavelength

  bool restoring = false;        // "Restore modif" re-reads the phase's file
  bool crystal_changed = false;  // the atom grid was touched outside keyboard capture
  bool keyboard_capture = false;

  ExperimentSettings settings;
  DisplayStyles styles;  // colours, pens and styles of every curve

  /// The grid the phases' stored profiles lie on: that of the computation
  /// that stored the latest of them (every computation uses the settings' grid).
  ProfileGrid profile_grid;
  SampleCorrections corrections{};
  /// The table of the last fit to the measured pattern, for the global
  /// report; cleared with the phases it was made for.
  std::vector<std::string> fit_table;

  std::vector<ObservedPattern> observed_patterns;   // at most 8
  std::vector<ObservedPeakList> observed_peaks;     // at most 8
  std::string observed_pattern_file_name;

  int calculation_count = 0;
  CrystalFileKind crystal_file_kind = CrystalFileKind::Native;
  CifBlockTable cif_blocks;  // rebuilt by every CIF block scan
  std::string viewer_path;   // the structure viewer's full name, as "lumipath.txt" holds it

  int phase_count() const { return static_cast<int>(phases.size()); }
  PhaseData& phase(int number) { return phases.at(static_cast<std::size_t>(number - 1)); }
  const PhaseData& phase(int number) const { return phases.at(static_cast<std::size_t>(number - 1)); }
};

/// Copies the current phase into the working copy (crystal, composition,
/// file name).
void load_current_phase(Workspace& workspace);

/// The reverse of load_current_phase: writes the working copy back into the
/// current phase. The phase's profile is left alone: the driver stores it,
/// weighted, when a computation completes.
void store_current_phase(Workspace& workspace);

/// Removes phase `number` (1-based); later phases move one place down in order.
/// The current phase follows its phase, or becomes the last one; when the
/// current phase itself is removed, the phase now current is loaded into the
/// working copy (an empty working copy when no phase is left).
void delete_phase(Workspace& workspace, int number);

/// Appends `crystal` as the new last phase and makes it current (the
/// working copy too), with the defaults of a newly loaded phase (5000 Å
/// crystallites, no strain, drawn) and the shares of all phases made equal.
/// Null, with nothing changed, when the table holds kMaxPhases phases.
PhaseData* add_phase(Workspace& workspace, CurrentCrystal crystal, std::string file_name);

/// The workspace as at start: no phase, no observed data, the default settings.
void reset_workspace(Workspace& workspace);

}  // namespace calvane
