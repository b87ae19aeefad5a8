// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/exact_functions.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/double_double.h"

namespace {

using doubledouble::Dd;

constexpr Dd kTwoPi = {6.283185307179586, 2.4492935982947064e-16};
// Past this denominator the reduction's products could outgrow 128 bits.
constexpr Uint128 kLargestTurnDenominator = Uint128(1) << 120;

// Sines at the twelfths of a turn, in halves; kIrrational where the sine is ±√3/2.
constexpr int kIrrational = 9;
constexpr int kSineInHalves[12] = {0, 1,  kIrrational,  2,  kIrrational,  1,
                                   0, -1, -kIrrational, -2, -kIrrational, -1};
// Tangents at the eighths of a turn; kIrrational where there is none (90°, 270°).
constexpr int kTangentAtEighths[8] = {0, 1, kIrrational, -1, 0, 1, kIrrational, -1};

Value Halves(int halves) {
  const bool negative = halves < 0;
  const auto magnitude = static_cast<Uint128>(negative ? -halves : halves);
  return ExactValue(magnitude % 2 == 0 ? Rational{magnitude / 2, 1, negative && magnitude != 0}
                                       : Rational{magnitude, 2, negative});
}

constexpr double kTwoTo53 = 9007199254740992.0, kBeyondRounding = 1e32;

// x·10^decimals rounded half away from zero and scaled back, in double-double: the product by
// a power of ten up to 10^15 is exact, the quotient by one close enough to tell a half.
double RoundDouble(double x, int64_t decimals) {
  // Past 2^53 a double is whole, and past 10^32 its neighbours are further apart than 10^15:
  // it rounds back to itself.
  if (!std::isfinite(x) || x == 0 || std::fabs(x) >= (decimals >= 0 ? kTwoTo53 : kBeyondRounding))
    return x;
  const double power = std::pow(10.0, static_cast<double>(std::llabs(decimals)));  // exact
  const Dd scaled =
      decimals >= 0 ? doubledouble::TwoProduct(x, power) : doubledouble::Divide({x, 0}, {power, 0});
  if (std::fabs(scaled.hi) >= kTwoTo53) return x;  // no digits beyond those kept
  double whole = std::trunc(scaled.hi);
  const double rest = (scaled.hi - whole) + scaled.lo;  // the first difference is exact
  if (std::fabs(rest) >= 0.5) whole += rest > 0 ? 1 : -1;
  const double rounded = decimals >= 0 ? whole / power : whole * power;
  return rounded + 0.0;
}

}  // namespace

bool CircularOfTurn(Circular function, const Rational& turn, Value* out, bool* undefined) {
  *undefined = false;
  const Uint128 d = turn.denominator;
  if (d >= kLargestTurnDenominator) return false;
  // The turn modulo 1, in [0, 1): r/d.
  Uint128 r = turn.numerator % d;
  if (turn.negative && r != 0) r = d - r;
  // In lowest terms, a whole number of eighths or twelfths of a turn has a denominator that
  // divides 8 or 12: the angles whose answers are known exactly.
  if (function == Circular::kTangent && 8 % d == 0) {
    const int tangent = kTangentAtEighths[static_cast<int>(r * (8 / d))];
    *undefined = tangent == kIrrational;
    *out =
        *undefined ? InexactValue(std::numeric_limits<double>::quiet_NaN()) : WholeValue(tangent);
    return true;
  }
  if (function != Circular::kTangent && 12 % d == 0) {
    int twelfths = static_cast<int>(r * (12 / d));
    if (function == Circular::kCosine) twelfths = (twelfths + 3) % 12;  // cos x = sin(x + 90°)
    const int halves = kSineInHalves[twelfths];
    if (std::abs(halves) != kIrrational) {
      *out = Halves(halves);
      return true;
    }
  }
  // The nearest quarter turn q and what is left, f = r/d - q/4 = (4r - qd)/4d within ±1/8.
  const Uint128 quarters = (4 * r + d / 2) / d, fourR = 4 * r, qd = quarters * d;
  const Rational left =
      fourR >= qd ? Rational{fourR - qd, 4 * d, false} : Rational{qd - fourR, 4 * d, true};
  double hi = 0, lo = 0;
  RationalToDoubleDouble(left, &hi, &lo);
  const Dd radians = doubledouble::Multiply({hi, lo}, kTwoPi);
  *out = InexactValue(
      CircularOfReduced(function, static_cast<int>(quarters & 3), radians.hi, radians.lo));
  return true;
}

bool ExactInverse(int inverse, const Rational& x, bool degrees, Value* out) {
  if (x.denominator > 2 || x.numerator > 2) return false;
  // The argument in halves, -2 to 2.
  int halves = static_cast<int>(x.numerator) * (x.denominator == 1 ? 2 : 1);
  if (halves > 2) return false;
  if (x.negative) halves = -halves;
  // The angle in twelfths of a half turn.
  int twelfths = 0;
  if (inverse == 2) {  // atan: of 0 and ±1 only
    if (halves % 2 != 0) return false;
    twelfths = 3 * (halves / 2);
  } else {
    constexpr int kArcSine[5] = {-6, -2, 0, 2, 6};  // of -1, -½, 0, ½, 1
    twelfths = kArcSine[halves + 2];
    if (inverse == 1) twelfths = 6 - twelfths;  // acos x = π/2 - asin x
  }
  const bool negative = twelfths < 0;
  const Rational ofPi = {static_cast<Uint128>(negative ? -twelfths : twelfths), 12, negative};
  Rational angle;
  MultiplyRationals(ofPi, {degrees ? Uint128(180) : Uint128(1), 1, false}, &angle);
  *out = ExactValue(angle, !degrees);
  return true;
}

Value RoundToDecimals(const Value& x, int64_t decimals) {
  Rational power, scaled, rounded;
  if (x.exact && !x.timesPi && PowerOfRational({10, 1, false}, decimals, &power) &&
      MultiplyRationals(x.ratio, power, &scaled)) {
    Uint128 whole = scaled.numerator / scaled.denominator;
    const Uint128 rest = scaled.numerator % scaled.denominator;
    if (rest >= scaled.denominator - rest) ++whole;  // a half or more: away from zero
    if (DivideRationals({whole, 1, scaled.negative && whole != 0}, power, &rounded))
      return ExactValue(rounded);
  }
  return InexactValue(RoundDouble(x.number, decimals));
}

namespace {

constexpr double kFarFromOverflow = 1e280;

// The product of count factors from first, each one less than the one before, each divided by
// its rank (1, 2, 3...) too when divided is set (combinations): in double-double while it stays
// far from overflowing, then in doubles.
double FallingProduct(double first, double count, bool divided) {
  Dd product = {1, 0};
  double factor = first;
  for (double i = 1; i <= count; ++i, --factor) {
    if (std::fabs(product.hi) * std::fabs(factor) > kFarFromOverflow) {
      product = {product.hi * factor / (divided ? i : 1), 0};
      if (std::isinf(product.hi)) break;
      continue;
    }
    product = doubledouble::Multiply(product, {factor, 0});
    if (divided) product = doubledouble::Divide(product, {i, 0});
  }
  return product.hi + product.lo;
}

constexpr double kTwoTo63 = 9223372036854775808.0;

}  // namespace

Value Arrangements(double k, double n) {
  if (n < kTwoTo63) {
    Uint128 exact = 1;
    bool fits = true;
    auto factor = static_cast<Uint128>(n);
    for (double i = 0; i < k && fits; ++i, --factor)
      fits = !__builtin_mul_overflow(exact, factor, &exact);
    if (fits) return ExactValue({exact, 1, false});
  }
  return InexactValue(FallingProduct(n, k, false));
}

Value Combinations(double k, double n) {
  k = std::min(k, n - k);
  if (n < kTwoTo63) {
    Uint128 exact = 1;
    bool fits = true;
    auto factor = static_cast<Uint128>(n - k) + 1;
    for (Uint128 i = 1; i <= static_cast<Uint128>(k) && fits; ++i, ++factor) {
      // exact·factor/i is whole; dividing by what exact and i share first keeps it small.
      const Uint128 g = Gcd(i, exact);
      fits = !__builtin_mul_overflow(exact / g, factor / (i / g), &exact);
    }
    if (fits) return ExactValue({exact, 1, false});
  }
  return InexactValue(FallingProduct(n, k, true));
}
