// Width of a powder peak: instrumental resolution, crystallite size and
// microstrain combined in quadrature.
#pragma once

namespace calvane {

/// Resolution coefficients of the instrument, degrees of 2θ. After Caglioti,
/// Paoletti & Ricci (1958), Nucl. Instrum. 3, 223, but used here as the
/// program always has: U·T² + V·T + W (T = tan θ) is itself the instrumental
/// half width at half maximum, not its square.
struct Resolution {
  double u = 0, v = 0, w = 0;
};

/// Sample broadening of one phase.
struct Broadening {
  double crystal_size_angstrom = 0;  // L; 0 (or less) means no size broadening
  double strain = 0;                 // ε = Δd/d
};

/// The three terms and their quadratic sum, all half widths at half maximum
/// in degrees of 2θ.
struct PeakWidth {
  double instrumental = 0;  // U·T² + V·T + W
  double size = 0;          // Scherrer: 57.2957·λ / (L·cos θ)
  double strain = 0;        // 57.2957·ε·tan θ
  double total = 0;         // √(instrumental² + size² + strain²)
};

/// Width of the peak at `two_theta_deg` produced by `wavelength_angstrom`.
/// tan θ and the size and strain terms are rounded to 32-bit precision, as
/// the program has always held them. The Scherrer term uses the wavelength
/// of the reflection itself, so λ/2 harmonics and Kβ peaks get their own
/// size broadening.
PeakWidth peak_width(const Resolution& resolution, const Broadening& broadening, double two_theta_deg,
                     double wavelength_angstrom);

}  // namespace calvane
