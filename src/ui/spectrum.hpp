// The wavelength spectrum: the line list and wavelength field of the main
// window, the multiple-wavelength dialog, and reading the spectrum before a
// computation.
#pragma once

#include "ui/follow_up.hpp"
#include "ui/main_form.hpp"
#include "ui/wavelength_form.hpp"
#include "model/experiment_settings.hpp"
#include "model/phase_data.hpp"

namespace calvane {

class Ui;
struct Workspace;

/// The window state that spectrum actions read and write.
struct SpectrumView {
  Workspace& workspace;
  MainForm& form;
  WavelengthForm& dialog;
  Ui& ui;
};

/// Click on item `index` of the main window's line list: items 1..20 set a
/// one-line spectrum of that characteristic line, item 0 ("Multiple W.L.")
/// empties the spectrum and opens the dialog. Every anomalous f′ and f″ of
/// every phase becomes 0.
FollowUp choose_wavelength_line(SpectrumView view, int index);

/// Entering the wavelength field: hides the default-wavelength notice,
/// deselects the line list and does clear_spectrum_results.
FollowUp read_wavelength_field(Workspace& workspace, MainForm& form);

/// A click that invalidates the results (wavelength, range, cell, symbol or
/// molecular fields, atom grids): clears the results list and, when the
/// current phase has anomalous elements, zeroes their f′ and f″ and shows the
/// apply bar; the plot is cleared.
FollowUp clear_spectrum_results(Workspace& workspace, MainForm& form);

/// Dialog OK (`read_spectrum_composition`): builds the spectrum from the dialog rows.
/// A row with a wavelength needs an intensity; an intensity of 0 drops the
/// row and empties its boxes. The fractions are normalised to sum 1, sorted
/// by wavelength, and each kept row's intensity box shows its value relative
/// to the strongest (1.00). Refusals ("Type error", "No percent on wavelength
/// #k", "No Wavelength!") focus the box at fault and leave the spectrum as it
/// was; the dialog stays open.
FollowUp read_spectrum_composition(SpectrumView view);

/// Click on anode `anode_index` of the dialog: rows 1..3 receive its Kα1, Kα2
/// and Kβ wavelengths with the intensities 100, 50 and 10; row 4 is kept.
void fill_anode_lines(ExperimentSettings& settings, WavelengthForm& dialog, int anode_index);

/// "l/2, l/3": with λ the wavelength in the first row, rows 2 and 3 become
/// λ/2 and λ/3 with the intensities 100, 30 and 10 and row 4 is emptied.
/// Nothing happens while the first row is empty; a first row that does not
/// read as a wavelength gives "Type error".
void set_harmonic_lines(WavelengthForm& dialog, Ui& ui);

/// Dialog Cancel: hides the dialog and changes nothing else.
void cancel_wavelength_dialog(WavelengthForm& dialog, Ui& ui);

/// Reads the spectrum from the wavelength field before a computation: one
/// number gives a one-line spectrum; "Multiple" takes the dialog's rows that
/// hold a wavelength, each with 0.01 × its intensity box as its fraction; an
/// empty field keeps the spectrum. A field or row that does not read gives
/// "Wavelength error" or "Type error" and keeps the spectrum; false then.
bool read_spectrum(ExperimentSettings& settings, const ExperimentPageForm& page, const WavelengthForm& dialog,
                   Ui& ui);

/// Writes the wavelength field ("Multiple" for several lines), the range
/// fields in the angle scale and the spectrum grid.
void show_experiment_settings(const ExperimentSettings& settings, ExperimentPageForm& page);

/// Zeroes f′ and f″ of every anomalous element of a phase at every wavelength.
void zero_anomalous_terms(PhaseComposition& composition, CurrentCrystal& crystal);

}  // namespace calvane
