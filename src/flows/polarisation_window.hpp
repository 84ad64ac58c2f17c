// The "X ray source" dialog's handlers.
#pragma once

#include "ui/polarisation_form.hpp"

namespace calvane {

struct Program;

/// OK: the chosen source with p = 0.5 for the tube or the typed p (0 ≤ p ≤ 1)
/// for the synchrotron. A bad p beeps, warns "Erreur de frappe!" and changes
/// nothing. With no item chosen the settings stay as they were.
PolarisationExit accept_polarisation(Program& program, PolarisationForm& form);

}  // namespace calvane
