#include "crystallography/structure_factor_kernel.hpp"

#include <cmath>

namespace calvane {

namespace {

// Eight single-precision lanes (GCC/Clang vector extension); on x86-64 the
// loops below are also built for AVX2 + FMA and picked at load time.
typedef float Lane8 __attribute__((vector_size(32)));
typedef int IntLane8 __attribute__((vector_size(32)));

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define CALVANE_VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define CALVANE_VECTOR_CLONES
#endif

// Adding and subtracting 1.5·2²³ rounds a float to the nearest integer
// (|u| < 2²²), which keeps the phase reduction branch-free.
constexpr float kRounding = 12582912.0f;

// sin(2πb) for |b| ≤ ¼: Taylor series of sin x to x¹¹, |x| ≤ π/2, error < 6e-8.
constexpr float kSin1 = 6.28318530717958648f;
constexpr float kSin3 = -41.3417022403997f;
constexpr float kSin5 = 81.6052492760750f;
constexpr float kSin7 = -76.7058597530613f;
constexpr float kSin9 = 42.0586939448412f;
constexpr float kSin11 = -15.0946425768101f;
// cos(2πb) for |b| ≤ ¼: Taylor series of cos x to x¹², error < 7e-9.
constexpr float kCos2 = -19.7392088021787f;
constexpr float kCos4 = 64.9393940226683f;
constexpr float kCos6 = -85.4568172297130f;
constexpr float kCos8 = 60.2446431054067f;
constexpr float kCos10 = -26.4262625717924f;
constexpr float kCos12 = 7.90353264840614f;

// Unaligned views of float arrays as lanes (may_alias: they read and write floats).
typedef float UnalignedLane8 __attribute__((vector_size(32), aligned(4), may_alias));
#define CALVANE_LOAD(pointer) (*reinterpret_cast<const UnalignedLane8*>(pointer))
#define CALVANE_STORE(pointer) (*reinterpret_cast<UnalignedLane8*>(pointer))

}  // namespace

PackedAtoms pack_atoms(const std::vector<double>& x, const std::vector<double>& y,
                       const std::vector<double>& z) {
  PackedAtoms atoms;
  atoms.count = x.size();
  const std::size_t padded =
      (atoms.count + PackedAtoms::kAtomBlock - 1) / PackedAtoms::kAtomBlock * PackedAtoms::kAtomBlock;
  atoms.x.assign(padded, 0.0f);
  atoms.y.assign(padded, 0.0f);
  atoms.z.assign(padded, 0.0f);
  // Whole cells change no phase at integer h, so coordinates are brought into
  // [0, 1) before they lose precision as floats.
  auto reduce = [](double value) { return static_cast<float>(value - std::floor(value)); };
  for (std::size_t i = 0; i < atoms.count; ++i) {
    atoms.x[i] = reduce(x[i]);
    atoms.y[i] = reduce(y[i]);
    atoms.z[i] = reduce(z[i]);
  }
  return atoms;
}

// The phase reduction and the polynomials are written out in each loop (no
// helper taking vectors) so that both clones inline them without ABI changes.
CALVANE_VECTOR_CLONES
void cosine_symmetry_sums(const PhaseTerm* terms, std::size_t term_count, const PackedAtoms& atoms, float* re,
                          float* im) {
  const Lane8 zero{};
  for (std::size_t a = 0; a < atoms.padded_count(); a += 16) {
    const Lane8 x0 = CALVANE_LOAD(&atoms.x[a]), y0 = CALVANE_LOAD(&atoms.y[a]),
                z0 = CALVANE_LOAD(&atoms.z[a]);
    const Lane8 x1 = CALVANE_LOAD(&atoms.x[a + 8]), y1 = CALVANE_LOAD(&atoms.y[a + 8]),
                z1 = CALVANE_LOAD(&atoms.z[a + 8]);
    Lane8 re0 = zero, im0 = zero, re1 = zero, im1 = zero;
    for (std::size_t p = 0; p < term_count; ++p) {
      const PhaseTerm& t = terms[p];
      const Lane8 u0 = x0 * t.ux + y0 * t.uy + z0 * t.uz + t.shift;
      const Lane8 u1 = x1 * t.ux + y1 * t.uy + z1 * t.uz + t.shift;
      const Lane8 r0 = u0 - ((u0 + kRounding) - kRounding);
      const Lane8 r1 = u1 - ((u1 + kRounding) - kRounding);
      // cos 2πr = −sin 2π(|r| − ¼)
      const Lane8 b0 = (r0 < zero ? -r0 : r0) - 0.25f;
      const Lane8 b1 = (r1 < zero ? -r1 : r1) - 0.25f;
      const Lane8 q0 = b0 * b0, q1 = b1 * b1;
      const Lane8 c0 =
          -b0 * (((((kSin11 * q0 + kSin9) * q0 + kSin7) * q0 + kSin5) * q0 + kSin3) * q0 + kSin1);
      const Lane8 c1 =
          -b1 * (((((kSin11 * q1 + kSin9) * q1 + kSin7) * q1 + kSin5) * q1 + kSin3) * q1 + kSin1);
      re0 += c0 * t.factor_re;
      im0 += c0 * t.factor_im;
      re1 += c1 * t.factor_re;
      im1 += c1 * t.factor_im;
    }
    CALVANE_STORE(re + a) = re0;
    CALVANE_STORE(im + a) = im0;
    CALVANE_STORE(re + a + 8) = re1;
    CALVANE_STORE(im + a + 8) = im1;
  }
}

CALVANE_VECTOR_CLONES
void exponential_symmetry_sums(const PhaseTerm* terms, std::size_t term_count, const PackedAtoms& atoms,
                               float* re, float* im) {
  const Lane8 zero{};
  for (std::size_t a = 0; a < atoms.padded_count(); a += 8) {
    const Lane8 x = CALVANE_LOAD(&atoms.x[a]), y = CALVANE_LOAD(&atoms.y[a]), z = CALVANE_LOAD(&atoms.z[a]);
    Lane8 sum_re = zero, sum_im = zero;
    for (std::size_t p = 0; p < term_count; ++p) {
      const PhaseTerm& t = terms[p];
      const Lane8 u = x * t.ux + y * t.uy + z * t.uz + t.shift;
      const Lane8 r = u - ((u + kRounding) - kRounding);
      const Lane8 b = (r < zero ? -r : r) - 0.25f;
      const Lane8 q = b * b;
      // cos 2πr = −sin 2πb; sin 2πr = sign(r)·cos 2πb
      const Lane8 cosine = -b * (((((kSin11 * q + kSin9) * q + kSin7) * q + kSin5) * q + kSin3) * q + kSin1);
      const Lane8 cos_b =
          ((((((kCos12 * q + kCos10) * q + kCos8) * q + kCos6) * q + kCos4) * q + kCos2) * q + 1.0f);
      const Lane8 sine = r < zero ? -cos_b : cos_b;
      sum_re += cosine * t.factor_re - sine * t.factor_im;
      sum_im += sine * t.factor_re + cosine * t.factor_im;
    }
    CALVANE_STORE(re + a) = sum_re;
    CALVANE_STORE(im + a) = sum_im;
  }
}

// e^x = 2^n·2^f with x·log₂e = n + f, |f| ≤ ½; 2^f by its Taylor series to
// degree 7 (error < 1e-8); 2^n built in the exponent bits.
CALVANE_VECTOR_CLONES
void damping_factors(const float* displacement, std::size_t count, float s_squared, float* out) {
  const Lane8 lowest = Lane8{} - 87.0f, highest = Lane8{} + 87.0f;  // within the float exponent range
  for (std::size_t a = 0; a < count; a += 8) {
    Lane8 x = -(CALVANE_LOAD(displacement + a) * s_squared);
    x = x < lowest ? lowest : x;
    x = x > highest ? highest : x;
    const Lane8 t = x * 1.44269504088896f;
    const Lane8 n = (t + kRounding) - kRounding;
    const Lane8 f = t - n;
    const Lane8 p =
        ((((((1.52527338e-5f * f + 1.54035304e-4f) * f + 1.33335581e-3f) * f + 9.61812911e-3f) * f +
           5.55041087e-2f) *
              f +
          2.40226507e-1f) *
             f +
         6.93147181e-1f) *
            f +
        1.0f;
    const IntLane8 exponent = (__builtin_convertvector(n, IntLane8) + 127) << 23;
    CALVANE_STORE(out + a) = p * (Lane8)exponent;  // vector cast: same bits read as floats
  }
}

}  // namespace calvane
