#include "engine/trigonometry.h"

#include "engine/double_double.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using namespace doubledouble;

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
  const Dd product = TwoProduct(fHi, kPiOver2);
  const double p0 = product.hi;
  double error = product.lo + fHi * kPiOver2Low + fLo * kPiOver2;
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

// atan x for any finite x, as a double-double: atan x = π/2 - atan(1/x) above 1, then
// atan x = 2·atan(x/(1 + √(1 + x²))) until x is below 1/32, then the series.
Dd ArcTangentOf(Dd x) {
  const bool negative = x.hi < 0;
  if (negative) x = Negated(x);
  const bool inverted = x.hi > 1;
  if (inverted) x = Divide({1, 0}, x);
  int halvings = 0;
  for (; x.hi > 0.03125; ++halvings)
    x = Divide(x, Add({1, 0}, SquareRoot(Add(Multiply(x, x), {1, 0}))));
  const Dd x2 = Multiply(x, x);
  Dd term = x, sum = x;
  for (double n = 3; std::fabs(term.hi) > 0x1p-110 * std::fabs(sum.hi); n += 2) {
    term = Negated(Multiply(term, x2));
    sum = Add(sum, Divide(term, {n, 0}));
  }
  sum = {std::ldexp(sum.hi, halvings), std::ldexp(sum.lo, halvings)};
  if (inverted) sum = Add({kPiOver2, kPiOver2Low}, Negated(sum));
  return negative ? Negated(sum) : sum;
}

}  // namespace

double ArcTangent(double x) {
  if (std::isnan(x) || std::fabs(x) < 0x1p-28) return x;  // x³/3 is below half an ulp
  // Past 2^60, π/2 - 1/x rounds to π/2; the double-double division would also overflow there.
  if (std::fabs(x) > 0x1p60) return std::copysign(kPiOver2, x);
  return ArcTangentOf({x, 0}).hi;
}

double ArcSine(double x) {
  const double a = std::fabs(x);
  if (std::isnan(x) || a < 0x1p-28) return x;
  if (a > 1) return std::numeric_limits<double>::quiet_NaN();
  if (a == 1) return std::copysign(kPiOver2, x);
  // atan(x/√((1 - x)(1 + x))), the product exact near ±1.
  const Dd root = SquareRoot(Multiply(TwoSum(1, -a), TwoSum(1, a)));
  return std::copysign(ArcTangentOf(Divide({a, 0}, root)).hi, x);
}

double ArcCosine(double x) {
  if (std::isnan(x) || std::fabs(x) > 1) return std::numeric_limits<double>::quiet_NaN();
  if (x == -1) return 2 * kPiOver2;  // π, rounded
  // 2·atan(√((1 - x)/(1 + x))): no cancellation near 1, where acos is small.
  const Dd half = ArcTangentOf(SquareRoot(Divide(TwoSum(1, -x), TwoSum(1, x))));
  return 2 * half.hi;
}

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
