#include "engine/trigonometry.h"

#include <cmath>
#include <cstdint>

namespace {

// 2/π in binary, 1280 bits after the point, most significant first: enough for the largest
// double (2^1023 needs bits up to about 1160).
constexpr uint64_t kTwoOverPi[] = {
    0xA2F9836E4E441529, 0xFC2757D1F534DDC0, 0xDB6295993C439041, 0xFE5163ABDEBBC561,
    0xB7246E3A424DD2E0, 0x06492EEA09D1921C, 0xFE1DEB1CB129A73E, 0xE88235F52EBB4484,
    0xE99C7026B45F7E41, 0x3991D639835339F4, 0x9C845F8BBDF9283B, 0x1FF897FFDE05980F,
    0xEF2F118B5A0A6D1F, 0x6D367ECF27CB09B7, 0x4F463F669E5FEA2D, 0x7527BAC7EBE5F17B,
    0x3D0739F78A5292EA, 0x6BFB5FB11F8D5D08, 0x56033046FC7B6BAB, 0xF0CFBC209AF4361D,
};

constexpr double kPiOver4 = 7.85398163397448278999e-01;
constexpr double kPiOver4Low = 3.06161699786838301793e-17;
constexpr double kPiOver2 = 1.57079632679489655800e+00;  // π/2 = kPiOver2 + kPiOver2Low
constexpr double kPiOver2Low = 6.12323399573676603587e-17;

// An argument as a number of quarter turns and what is left: x = quadrant·π/2 + hi + lo, with
// |hi + lo| at most about π/4 and lo below hi's last bit.
struct Reduced {
  int quadrant;
  double hi, lo;
};

// 64 bits of the 256-bit number p (least significant limb first) from bit `from` up.
uint64_t BitsFrom(const uint64_t p[4], int from) {
  const int limb = from / 64, shift = from % 64;
  uint64_t bits = p[limb] >> shift;
  if (shift != 0 && limb + 1 < 4) bits |= p[limb + 1] << (64 - shift);
  return bits;
}

// 64 bits of 2/π from bit `first` after the point (the first is 1).
uint64_t TwoOverPiBits(int first) {
  const int at = first - 1, limb = at / 64, shift = at % 64;
  uint64_t bits = kTwoOverPi[limb] << shift;
  if (shift != 0) bits |= kTwoOverPi[limb + 1] >> (64 - shift);
  return bits;
}

// a·b exactly, as p + error (Dekker's product: no fused multiply-add, which not every C library
// computes exactly).
void ExactProduct(double a, double b, double* p, double* error) {
  auto split = [](double v, double* high, double* low) {
    const double t = 134217729.0 * v;  // 2^27 + 1
    *high = t - (t - v);
    *low = v - *high;
  };
  double ah, al, bh, bl;
  split(a, &ah, &al);
  split(b, &bh, &bl);
  *p = a * b;
  *error = ((ah * bh - *p) + ah * bl + al * bh) + al * bl;
}

// Payne and Hanek's reduction, in integers: |x| = m·2^e with m a 53-bit integer, so |x|·2/π is
// m times the bits of 2/π shifted by e. Bits of 2/π that would only add multiples of 4 are
// skipped; 192 bits from there give the quadrant and 128 bits of fraction, more than the 61
// that the closest double to a multiple of π/2 cancels.
Reduced Reduce(double x) {
  int exponent = 0;
  const double m = std::frexp(std::fabs(x), &exponent);
  const uint64_t mantissa = static_cast<uint64_t>(std::ldexp(m, 53));
  const int e = exponent - 53;
  const int first = e - 1 > 1 ? e - 1 : 1;  // the first bit of 2/π that counts
  const uint64_t w2 = TwoOverPiBits(first), w1 = TwoOverPiBits(first + 64), w0 = TwoOverPiBits(first + 128);
  __extension__ typedef unsigned __int128 u128;  // GCC and Clang, on every 64-bit target we build
  const u128 a0 = u128(mantissa) * w0, a1 = u128(mantissa) * w1, a2 = u128(mantissa) * w2;
  uint64_t p[4];
  p[0] = uint64_t(a0);
  u128 t = u128(uint64_t(a1)) + (a0 >> 64);
  p[1] = uint64_t(t);
  t = u128(uint64_t(a2)) + (t >> 64) + (a1 >> 64);
  p[2] = uint64_t(t);
  p[3] = uint64_t((t >> 64) + (a2 >> 64));
  // p·2^-point is |x|·2/π, modulo 4.
  const int point = first + 191 - e;
  int quadrant = static_cast<int>(BitsFrom(p, point) & 3);
  u128 fraction = (u128(BitsFrom(p, point - 64)) << 64) | BitsFrom(p, point - 128);
  double sign = 1;
  if (fraction >> 127) {  // past one half: the next quarter turn, less what is missing
    fraction = ~fraction + 1;
    sign = -1;
    quadrant = (quadrant + 1) & 3;
  }
  // The fraction (below 2^127) as a sum of two doubles, in units of 2^-128.
  const uint64_t high = uint64_t(fraction >> 64), low = uint64_t(fraction);
  const double highApprox = static_cast<double>(high);
  const auto rest = static_cast<int64_t>(high - static_cast<uint64_t>(highApprox));  // |rest| < 2^11
  const double fHi = std::ldexp(highApprox, -64);
  const double fLo = std::ldexp(static_cast<double>(rest) + std::ldexp(static_cast<double>(low), -64), -64);
  // Times π/2.
  double p0, error;
  ExactProduct(fHi, kPiOver2, &p0, &error);
  error += fHi * kPiOver2Low + fLo * kPiOver2;
  double hi = p0 + error, lo = error - (hi - p0);
  if (std::signbit(x)) sign = -sign, quadrant = (4 - quadrant) & 3;
  return {quadrant, sign * hi, sign * lo};
}

// The kernels on [-π/4, π/4], for x + y with y below x's last bit: the classic minimax
// polynomials of the freely distributed fdlibm, whose errors stay under one unit in the last
// place.
double SineKernel(double x, double y) {
  constexpr double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                   S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                   S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
  if (std::fabs(x) < 0x1p-27) return y == 0 ? x : x + y;  // x³/6 is below half an ulp; keeps -0
  const double z = x * x, v = z * x;
  const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
  return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

double CosineKernel(double x, double y) {
  constexpr double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                   C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                   C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
  const double z = x * x, w = z * z;
  const double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
  const double hz = 0.5 * z, one = 1.0 - hz;
  return one + (((1.0 - one) - hz) + (z * r - x * y));
}

// tan(x + y) when even is true, -1/tan(x + y) otherwise.
double TangentKernel(double x, double y, bool even) {
  constexpr double T[] = {
      3.33333333333334091986e-01, 1.33333333333201242699e-01, 5.39682539762260521377e-02,
      2.18694882948595424599e-02, 8.86323982359930005737e-03, 3.59207910759131235356e-03,
      1.45620945432529025516e-03, 5.88041240820264096874e-04, 2.46463134818469906812e-04,
      7.81794442939557092300e-05, 7.14072491382608190305e-05, -1.85586374855275456654e-05,
      2.59073051863633712884e-05,
  };
  if (even && std::fabs(x) < 0x1p-27) return y == 0 ? x : x + y;  // as the sine
  const bool big = std::fabs(x) >= 0.6743316650390625;
  const bool negative = std::signbit(x);
  if (big) {  // tan(π/4 - x) is better computed near 0
    if (negative) x = -x, y = -y;
    x = (kPiOver4 - x) + (kPiOver4Low - y);
    y = 0.0;
  }
  double z = x * x, w = z * z;
  double r = T[1] + w * (T[3] + w * (T[5] + w * (T[7] + w * (T[9] + w * T[11]))));
  double v = z * (T[2] + w * (T[4] + w * (T[6] + w * (T[8] + w * (T[10] + w * T[12])))));
  double s = z * x;
  r = y + z * (s * (r + v) + y);
  r += T[0] * s;
  w = x + r;
  if (big) {
    v = even ? 1.0 : -1.0;
    return (negative ? -1.0 : 1.0) * (v - 2.0 * (x - (w * w / (w + v) - r)));
  }
  if (even) return w;
  if (w == 0) return -1.0 / w;
  // -1/(x + r) with the division's error compensated: z + v is w exactly, with z cut to 21 bits.
  auto cut = [](double value) { return std::ldexp(std::trunc(std::ldexp(value, 20 - std::ilogb(value))), std::ilogb(value) - 20); };
  z = cut(w);
  v = r - (z - x);
  const double a = -1.0 / w;
  const double t = cut(a);
  s = 1.0 + t * z;
  return t + a * (s + t * v);
}

template <typename Kernels>
double Apply(double x, Kernels kernels) {
  if (!std::isfinite(x)) return x - x;  // NaN, also for ±∞
  if (std::fabs(x) <= kPiOver4) return kernels(0, x, 0.0);
  const Reduced r = Reduce(x);
  return kernels(r.quadrant, r.hi, r.lo);
}

}  // namespace

double Sine(double x) {
  return Apply(x, [](int quadrant, double hi, double lo) {
    switch (quadrant) {
      case 0: return SineKernel(hi, lo);
      case 1: return CosineKernel(hi, lo);
      case 2: return -SineKernel(hi, lo);
      default: return -CosineKernel(hi, lo);
    }
  });
}

double Cosine(double x) {
  return Apply(x, [](int quadrant, double hi, double lo) {
    switch (quadrant) {
      case 0: return CosineKernel(hi, lo);
      case 1: return -SineKernel(hi, lo);
      case 2: return -CosineKernel(hi, lo);
      default: return SineKernel(hi, lo);
    }
  });
}

double Tangent(double x) {
  return Apply(x, [](int quadrant, double hi, double lo) { return TangentKernel(hi, lo, (quadrant & 1) == 0); });
}
