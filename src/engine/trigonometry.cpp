// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/trigonometry.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/double_double.h"

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
  const uint64_t w2 = TwoOverPiBits(first), w1 = TwoOverPiBits(first + 64),
                 w0 = TwoOverPiBits(first + 128);
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
  const auto rest =
      static_cast<int64_t>(high - static_cast<uint64_t>(highApprox));  // |rest| < 2^11
  const double fHi = std::ldexp(highApprox, -64);
  const double fLo =
      std::ldexp(static_cast<double>(rest) + std::ldexp(static_cast<double>(low), -64), -64);
  // Times π/2.
  const Dd product = TwoProduct(fHi, kPiOver2);
  const double p0 = product.hi;
  double error = product.lo + fHi * kPiOver2Low + fLo * kPiOver2;
  double hi = p0 + error, lo = error - (hi - p0);
  if (std::signbit(x)) sign = -sign, quadrant = (4 - quadrant) & 3;
  return {quadrant, sign * hi, sign * lo};
}

// The sine and cosine of r + its low part, |r| at most about π/4, summed as double-doubles
// until the terms pass 2^-110, so that the double they round to is, but for the rarest
// arguments, the true value rounded.
void SineAndCosine(Dd r, Dd* sine, Dd* cosine) {
  const Dd r2 = Multiply(r, r);
  Dd term = r, sum = r;
  for (double n = 2; std::fabs(term.hi) > 0x1p-110 * std::fabs(sum.hi); n += 2) {
    term = Negated(Divide(Multiply(term, r2), {n * (n + 1), 0}));
    sum = Add(sum, term);
  }
  *sine = sum;
  term = sum = {1, 0};
  for (double n = 1; std::fabs(term.hi) > 0x1p-110; n += 2) {
    term = Negated(Divide(Multiply(term, r2), {n * (n + 1), 0}));
    sum = Add(sum, term);
  }
  *cosine = sum;
}

// The sine and cosine of x, reduced to a quarter turn first where it is past π/4.
int SineAndCosineOf(double x, Dd* sine, Dd* cosine) {
  if (std::fabs(x) <= kPiOver4) {
    SineAndCosine({x, 0}, sine, cosine);
    return 0;
  }
  const Reduced r = Reduce(x);
  SineAndCosine({r.hi, r.lo}, sine, cosine);
  return r.quadrant;
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

// An angle in degrees, reduced exactly: |x| mod 360 (fmod is exact), less the nearest multiple of
// 90, which is exact too since both lie within a factor of two of each other. Only then is it
// turned into radians, as a double-double, so that sin(180) is 0 and sin(30) is ½, not π/180
// rounded times 180 or 30.
struct DegreeTurn {
  int quadrant;
  double degrees;  // within ±45
  Dd radians;
};

constexpr Dd kRadiansPerDegree = {0.017453292519943295, 2.9486522708701687e-19};
constexpr Dd kDegreesPerRadian = {57.29577951308232, -1.9878495670576283e-15};
constexpr double kFullTurn = 360, kRightAngle = 90;

DegreeTurn ReduceDegrees(double ax) {
  const double r = std::fmod(ax, kFullTurn);
  const int turns = static_cast<int>(std::nearbyint(r / kRightAngle));  // 0 to 4
  const double d = r - kRightAngle * turns;
  return {turns & 3, d, Multiply({d, 0}, kRadiansPerDegree)};
}

// The sine and cosine of a reduced angle in degrees, exact where they are 0 or ±1.
void SineAndCosineInDegrees(const DegreeTurn& t, Dd* sine, Dd* cosine) {
  if (t.degrees == 0) {
    *sine = {0, 0};
    *cosine = {1, 0};
  } else {
    SineAndCosine(t.radians, sine, cosine);
  }
}

// An angle in radians as a double-double, in degrees, rounded once.
double InDegrees(Dd radians) { return Multiply(radians, kDegreesPerRadian).hi; }

// asin a for 0 < a ≤ 1, as a double-double: atan(a/√((1 - a)(1 + a))), the product exact near 1.
Dd ArcSineOfMagnitude(double a) {
  if (a == 1) return {kPiOver2, kPiOver2Low};
  const Dd root = SquareRoot(Multiply(TwoSum(1, -a), TwoSum(1, a)));
  return ArcTangentOf(Divide({a, 0}, root));
}

// acos x for -1 < x ≤ 1, as a double-double: 2·atan(√((1 - x)/(1 + x))), no cancellation near 1,
// where acos is small.
Dd ArcCosineOf(double x) {
  const Dd half = ArcTangentOf(SquareRoot(Divide(TwoSum(1, -x), TwoSum(1, x))));
  return {2 * half.hi, 2 * half.lo};
}

constexpr double kArcTangentFlat = 0x1p60;  // past it, π/2 - 1/x rounds to π/2 (and to 90°)

}  // namespace

double ArcTangent(double x) {
  if (std::isnan(x) || std::fabs(x) < 0x1p-28) return x;  // x³/3 is below half an ulp
  // The double-double division would also overflow past kArcTangentFlat.
  if (std::fabs(x) > kArcTangentFlat) return std::copysign(kPiOver2, x);
  return ArcTangentOf({x, 0}).hi;
}

double ArcSine(double x) {
  const double a = std::fabs(x);
  if (std::isnan(x) || a < 0x1p-28) return x;
  if (a > 1) return std::numeric_limits<double>::quiet_NaN();
  if (a == 1) return std::copysign(kPiOver2, x);
  return std::copysign(ArcSineOfMagnitude(a).hi, x);
}

double ArcCosine(double x) {
  if (std::isnan(x) || std::fabs(x) > 1) return std::numeric_limits<double>::quiet_NaN();
  if (x == -1) return 2 * kPiOver2;  // π, rounded
  return ArcCosineOf(x).hi;
}

double ArcTangentInDegrees(double x) {
  if (std::isnan(x) || x == 0) return x;
  if (std::fabs(x) > kArcTangentFlat) return std::copysign(kRightAngle, x);
  return InDegrees(ArcTangentOf({x, 0}));
}

double ArcSineInDegrees(double x) {
  const double a = std::fabs(x);
  if (std::isnan(x) || a > 1) return std::numeric_limits<double>::quiet_NaN();
  if (x == 0) return x;
  return std::copysign(InDegrees(ArcSineOfMagnitude(a)), x);
}

double ArcCosineInDegrees(double x) {
  if (std::isnan(x) || std::fabs(x) > 1) return std::numeric_limits<double>::quiet_NaN();
  if (x == -1) return 2 * kRightAngle;
  return InDegrees(ArcCosineOf(x));
}

double SineInDegrees(double x) {
  if (!std::isfinite(x)) return x - x;
  if (x == 0) return x;
  const DegreeTurn t = ReduceDegrees(std::fabs(x));
  Dd sine, cosine;
  SineAndCosineInDegrees(t, &sine, &cosine);
  const double quarters[] = {sine.hi, cosine.hi, -sine.hi, -cosine.hi};
  const double s = quarters[t.quadrant];
  return s == 0 ? 0.0 : std::copysign(1.0, x) * s;  // an exact zero is 0, never -0
}

double CosineInDegrees(double x) {
  if (!std::isfinite(x)) return x - x;
  const DegreeTurn t = ReduceDegrees(std::fabs(x));
  Dd sine, cosine;
  SineAndCosineInDegrees(t, &sine, &cosine);
  const double quarters[] = {cosine.hi, -sine.hi, -cosine.hi, sine.hi};
  return quarters[t.quadrant] + 0.0;
}

double TangentInDegrees(double x) {
  if (!std::isfinite(x)) return x - x;
  if (x == 0) return x;
  const DegreeTurn t = ReduceDegrees(std::fabs(x));
  if (t.degrees == 0 && (t.quadrant & 1)) return std::numeric_limits<double>::quiet_NaN();
  Dd sine, cosine;
  SineAndCosineInDegrees(t, &sine, &cosine);
  const double tangent = (t.quadrant & 1) == 0 ? Divide(sine, cosine).hi : -Divide(cosine, sine).hi;
  return tangent == 0 ? 0.0 : std::copysign(1.0, x) * tangent;
}

bool IsOddRightAngle(double x) {
  return std::isfinite(x) && std::fmod(std::fabs(x), 2 * kRightAngle) == kRightAngle;
}

// For the three functions below: below 2^-27, x³/6 and x²/2 are under half an ulp: the answers are
// x and 1, and -0 stays -0.
double Sine(double x) {
  if (!std::isfinite(x)) return x - x;  // NaN, also for ±∞
  if (std::fabs(x) < 0x1p-27) return x;
  Dd sine, cosine;
  switch (SineAndCosineOf(x, &sine, &cosine)) {
    case 0: return sine.hi;
    case 1: return cosine.hi;
    case 2: return -sine.hi;
    default: return -cosine.hi;
  }
}

double Cosine(double x) {
  if (!std::isfinite(x)) return x - x;
  if (std::fabs(x) < 0x1p-27) return 1;
  Dd sine, cosine;
  switch (SineAndCosineOf(x, &sine, &cosine)) {
    case 0: return cosine.hi;
    case 1: return -sine.hi;
    case 2: return -cosine.hi;
    default: return sine.hi;
  }
}

double Tangent(double x) {
  if (!std::isfinite(x)) return x - x;
  if (std::fabs(x) < 0x1p-27) return x;
  Dd sine, cosine;
  const int quadrant = SineAndCosineOf(x, &sine, &cosine);
  return (quadrant & 1) == 0 ? Divide(sine, cosine).hi : -Divide(cosine, sine).hi;
}

double CircularOfReduced(Circular function, int quadrant, double hi, double lo) {
  Dd sine, cosine;
  SineAndCosine({hi, lo}, &sine, &cosine);
  quadrant &= 3;
  if (function == Circular::kTangent)
    return ((quadrant & 1) == 0 ? Divide(sine, cosine).hi : -Divide(cosine, sine).hi) + 0.0;
  if (function == Circular::kCosine) quadrant = (quadrant + 1) & 3;  // cos x = sin(x + π/2)
  const double quarters[] = {sine.hi, cosine.hi, -sine.hi, -cosine.hi};
  return quarters[quadrant] + 0.0;
}
