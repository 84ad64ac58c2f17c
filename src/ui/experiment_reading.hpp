// The angle range and resolution fields of the "Experimental Data" page, the
// angle scale, and reading every experiment field before a computation.
#pragma once

#include <optional>

#include "ui/follow_up.hpp"
#include "ui/main_form.hpp"
#include "ui/wavelength_form.hpp"
#include "model/experiment_settings.hpp"

namespace calvane {

class Ui;

/// Reads the spectrum (see read_spectrum), then the range fields converted
/// from the angle scale to 2θ and Q, then U, V and W. A range field is
/// converted only when it is not empty, was edited since the program last
/// wrote it (range_low_shown) and a wavelength is defined; a range
/// or resolution field that does not read keeps its value (the range fields
/// report their errors when the user leaves them). False when the spectrum
/// was refused; the range and resolution are read all the same.
bool read_experiment_settings(ExperimentSettings& settings, const ExperimentPageForm& page,
                              const WavelengthForm& dialog, Ui& ui);

/// The 2θ and Q of the range field value `value` in `scale`, converted at
/// `wavelength` (Å); empty when the value has no angle (a Q beyond 4π/λ).
struct RangeEnd {
  double two_theta = 0;
  double q = 0;  // Å⁻¹
};
std::optional<RangeEnd> convert_range_value(double value, AngleScale scale, double wavelength);

enum class RangeEndSide { Low, High };

/// Leaving a range field (`read_range_end`): the entered value and the 2θ of
/// that end take the number typed, converted from the angle scale to 2θ;
/// "Min theta error" or "Max theta error" when it does not read or has no
/// angle, and nothing changes. A field still showing the program's own text
/// changes nothing either.
void read_range_end(ExperimentSettings& settings, const ExperimentPageForm& page, RangeEndSide side, Ui& ui);

/// The angle-scale radio buttons (`change_angle_scale`): restores the range
/// from the entered values and sets the range captions for `scale`. The Q
/// scale needs a wavelength: without one, "WaveLength not defined!", no button
/// stays selected and the scale is kept.
FollowUp change_angle_scale(ExperimentSettings& settings, ExperimentPageForm& page, AngleScale scale,
                             Ui& ui);

}  // namespace calvane
