// Pseudo-Voigt peaks summed on a grid of abscissae.
#pragma once

#include <span>

namespace calvane {

class ThreadPool;

/// Lorentzian share η of every peak of the program.
inline constexpr double kLorentzianShare = 0.5;

/// Unit pseudo-Voigt shape at r = (x − centre)/H:
/// v = (1 − η)·2^(−r²) + η/(1 + r²). Both parts are 1/2 at |r| = 1, so H is
/// the half width at half maximum of the whole peak and of each part.
double pseudo_voigt_shape(double eta, double r);

struct PseudoVoigtPeak {
  double centre = 0;  // degrees 2θ
  double hwhm = 0;    // H, degrees 2θ, above 0
  double area = 0;    // A: the peak adds A·v/H, so its height is A/H
};

/// Adds one peak at every point of the grid: y(i) += A·v(r(i))/H. No
/// cut-off: the Lorentzian tail reaches the whole grid.
void add_peak(std::span<const double> x, std::span<double> y, double eta, const PseudoVoigtPeak& peak);

/// Adds every peak to y: the same sum as add_peak peak after peak, to within
/// rounding. The points are shared out among the threads of `pool` (none:
/// the calling thread alone); every point sums its terms in the same order
/// whatever the sharing, so the threads change no bit of the result.
void add_peaks(std::span<const double> x, std::span<double> y, double eta,
               std::span<const PseudoVoigtPeak> peaks, ThreadPool* pool);

}  // namespace calvane
