// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/exponentials.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/double_double.h"

namespace {

using namespace doubledouble;

constexpr Dd kLn2 = {0.6931471805599453, 2.3190468138462996e-17};
constexpr Dd kInverseLn10 = {0.4342944819032518, 1.098319650216765e-17};

// ln x for a finite x > 0 given as a double-double (so that ln(1 + v) keeps a tiny v): x = 2^k·m
// with m within √2 of 1, ln m = 2·atanh(s) with s = (m - 1)/(m + 1), |s| < 0.172, summed until
// the terms pass 2^-110.
Dd Log(Dd x) {
  int k = 0;
  double mh = std::frexp(x.hi, &k), ml = std::ldexp(x.lo, -k);
  if (mh < 0.70710678118654752) mh *= 2, ml *= 2, --k;
  const Dd s = Divide(Add({mh - 1, 0}, {ml, 0}), Add(TwoSum(mh, 1), {ml, 0}));  // mh - 1 is exact
  const Dd s2 = Multiply(s, s);
  Dd term = s, sum = s;
  for (double n = 3; std::fabs(term.hi) > 0x1p-110 * std::fabs(sum.hi); n += 2) {
    term = Multiply(term, s2);
    sum = Add(sum, Divide(term, {n, 0}));
  }
  const Dd twice = {2 * sum.hi, 2 * sum.lo};
  return Add(Multiply({static_cast<double>(k), 0}, kLn2), twice);
}

Dd Log(double x) { return Log(Dd{x, 0}); }

// e^t for |t| below about 746, as 2^k times a double-double near 1: t = k·ln 2 + r, and
// e^r = (e^(r/256))^256 with e^(r/256) from ten terms of its series.
Dd Exp(Dd t, int* k) {
  *k = static_cast<int>(std::floor(t.hi * 1.4426950408889634 + 0.5));
  Dd r = Add(t, Negated(Multiply({static_cast<double>(*k), 0}, kLn2)));
  r = {r.hi / 256, r.lo / 256};
  Dd e = {1, 0}, term = {1, 0};
  for (int i = 1; i <= 10; ++i) {
    term = Divide(Multiply(term, r), {static_cast<double>(i), 0});
    e = Add(e, term);
  }
  for (int i = 0; i < 8; ++i) e = Multiply(e, e);
  return e;
}

// e^t as a double-double, for |t| small enough that it stays a normal double.
Dd ExpOf(Dd t) {
  int k = 0;
  const Dd e = Exp(t, &k);
  return {std::ldexp(e.hi, k), std::ldexp(e.lo, k)};
}

// e^|x| / 2 for |x| above 22, where e^-|x| no longer counts: sinh and cosh there.
double HalfExp(double a) {
  if (!(a <= 711)) return std::numeric_limits<double>::infinity();  // also ∞, before any arithmetic
  const Dd t = Add({a, 0}, Negated(kLn2));
  int k = 0;
  const Dd e = Exp(t, &k);
  return std::ldexp(e.hi, k);
}

bool IsInteger(double y) { return std::isfinite(y) && y == std::trunc(y); }

__extension__ typedef unsigned __int128 u128;  // GCC and Clang, on every 64-bit target we build

// p·2^e rounded once to the nearest double, ties to even, also where it falls below the normal
// range: there a conversion to double and a scaling would round twice.
double ScaledInteger(u128 p, int64_t e) {
  int bits = 0;
  for (u128 q = p; q != 0; q >>= 1) ++bits;
  if (bits + e > -1021) return std::ldexp(static_cast<double>(p), static_cast<int>(e));
  const int64_t drop = -1074 - e;  // bits below the smallest subnormal
  if (drop <= 0) return std::ldexp(static_cast<double>(p), static_cast<int>(e));  // exact
  if (drop > 128) return 0;
  const u128 kept = drop == 128 ? 0 : p >> drop;
  const u128 rest = p - (drop == 128 ? 0 : kept << drop), half = u128(1) << (drop - 1);
  const u128 rounded = kept + ((rest > half || (rest == half && (kept & 1))) ? 1 : 0);
  return std::ldexp(static_cast<double>(rounded), -1074);
}

// A double-double times 2^k, rounded once, as ScaledInteger does.
double ScaledDd(Dd e, int k) {
  const int exponent = std::ilogb(e.hi) + k;
  if (exponent >= -1022) return std::ldexp(e.hi, k);  // normal, or past the largest: ∞
  // Counted in units of the smallest subnormal, both parts are exact.
  const double hi = std::ldexp(e.hi, k + 1074), lo = std::ldexp(e.lo, k + 1074);
  double whole = std::floor(hi);
  // hi's fraction against one half, exactly; lo, below hi's last bit, only decides a tie.
  const double beyondHalf = (hi - whole) - 0.5;
  if (beyondHalf > 0 || (beyondHalf == 0 && (lo > 0 || (lo == 0 && std::fmod(whole, 2.0) != 0))))
    whole += 1;
  return std::ldexp(whole, -1074);
}

// |x|^y exactly rounded where the answer may lie exactly halfway between two doubles (17^13
// does, and (m²)^1.5 = m³ may): y a whole number, or one over a power of two times one where the
// roots of |x| are exact; and |x| = m·2^e with m odd and m^n short enough to compute in integers.
// Only the exact value rounds to the even neighbour. Powers of two are exact.
bool ExactPower(double ax, double y, double* result) {
  if (!std::isfinite(y) || std::fabs(y) > 1e6) return false;
  for (int roots = 0; !IsInteger(y); ++roots) {
    if (roots == 6) return false;
    const double root = std::sqrt(ax);
    const Dd square = TwoProduct(root, root);
    if (square.hi != ax || square.lo != 0) return false;
    ax = root;
    y *= 2;
  }
  int exponent = 0;
  auto m = static_cast<uint64_t>(std::ldexp(std::frexp(ax, &exponent), 53));
  int64_t e = exponent - 53;
  while ((m & 1) == 0) m >>= 1, ++e;
  const auto n = static_cast<int64_t>(y);
  if (m == 1) {  // a power of two, whatever the sign of y
    *result = std::ldexp(1.0, static_cast<int>(std::clamp<int64_t>(e * n, -1 << 20, 1 << 20)));
    return true;
  }
  if (n < 0 || n > 128) return false;
  u128 power = 1;
  for (int64_t i = 0; i < n; ++i) {
    if (power > ~u128(0) / m) return false;
    power *= m;
  }
  *result = ScaledInteger(power, e * n);
  return true;
}

// |x|^y for a finite x > 0 other than 1 and a finite y given as a double-double, rounded once.
double PowerOfPositive(double ax, Dd y) {
  const Dd logarithm = Log(ax);
  // Far past the range, y·ln|x| could overflow the splitting: the answer is known.
  const double estimate = y.hi * logarithm.hi;
  if (estimate > 710) return std::numeric_limits<double>::infinity();
  if (estimate < -746) return 0.0;
  int k = 0;
  const Dd e = Exp(Multiply(y, logarithm), &k);
  return ScaledDd(e, k);
}

}  // namespace

bool IsOddWhole(double y) {
  return IsInteger(y) && std::fabs(y) < 0x1p53 && std::fmod(y, 2.0) != 0;
}

double Power(double x, double y) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  if (y == 0 || x == 1) return 1;
  if (std::isnan(x) || std::isnan(y)) return x + y;
  const double ax = std::fabs(x);
  if (std::isinf(y)) {
    if (ax == 1) return 1;
    return (ax < 1) == (y < 0) ? kInf : 0;
  }
  const bool odd = IsOddWhole(y);
  if (x == 0 || std::isinf(x)) {  // 0^y and ∞^y: 0 or ∞, with x's sign for odd integers
    const bool infinite = (x == 0) == (y < 0);
    const double magnitude = infinite ? kInf : 0;
    return odd ? std::copysign(magnitude, x) : magnitude;
  }
  if (x < 0 && !IsInteger(y)) return std::numeric_limits<double>::quiet_NaN();
  const double sign = x < 0 && odd ? -1 : 1;
  if (ax == 1) return sign;  // (-1)^y, for every integer y however large
  if (double exact = 0; ExactPower(ax, y, &exact)) return sign * exact;
  return sign * PowerOfPositive(ax, {y, 0});
}

double Root(double x, double n) {
  if (std::isnan(x) || std::isnan(n)) return x + n;
  if (x < 0 && !IsOddWhole(n))
    return n == 0 ? Power(x, 1 / n) : std::numeric_limits<double>::quiet_NaN();
  const double ax = std::fabs(x);
  // Past 2^±900 the division's splitting would overflow, and 1/n rounded changes nothing that a
  // double can show: x^(1/n) is then 0, 1 or ∞, or nearly 1.
  const double an = std::fabs(n);
  const Dd reciprocal = an > 0x1p-900 && an < 0x1p900 ? Divide({1, 0}, {n, 0}) : Dd{1 / n, 0};
  // Where 1/n is a double the power is that of the user's exponent, with its exact halfway
  // cases; otherwise the exponent keeps its low part, which makes 27^(1/3) exactly 3.
  const bool plainPower = reciprocal.lo == 0 || ax == 0 || ax == 1 || std::isinf(ax);
  const double root = plainPower ? Power(ax, reciprocal.hi) : PowerOfPositive(ax, reciprocal);
  return x < 0 ? -root : root;
}

double NaturalLog(double x) {
  if (std::isnan(x) || x < 0) return std::numeric_limits<double>::quiet_NaN();
  if (x == 0) return -std::numeric_limits<double>::infinity();
  if (std::isinf(x)) return x;
  const Dd l = Log(x);
  return l.hi + l.lo;
}

double DecimalLog(double x) {
  if (std::isnan(x) || x < 0) return std::numeric_limits<double>::quiet_NaN();
  if (x == 0) return -std::numeric_limits<double>::infinity();
  if (std::isinf(x)) return x;
  const Dd l = Multiply(Log(x), kInverseLn10);
  return l.hi + l.lo;
}

// Below 2^-28 the odd functions are their argument to the last bit (the cube is under half an
// ulp); above 22, e^-|x| is under half an ulp of e^|x|.
double HyperbolicSine(double x) {
  const double a = std::fabs(x);
  if (std::isnan(x) || a < 0x1p-28) return x;
  if (a > 22) return std::copysign(HalfExp(a), x);
  const Dd e = ExpOf({a, 0});
  const Dd d = Add(e, Negated(Divide({1, 0}, e)));
  return std::copysign(0.5 * d.hi, x);
}

double HyperbolicCosine(double x) {
  const double a = std::fabs(x);
  if (std::isnan(x)) return x;
  if (a > 22) return HalfExp(a);
  const Dd e = ExpOf({a, 0});
  return 0.5 * Add(e, Divide({1, 0}, e)).hi;
}

double HyperbolicTangent(double x) {
  const double a = std::fabs(x);
  if (std::isnan(x) || a < 0x1p-28) return x;
  if (a > 22) return std::copysign(1.0, x);
  const Dd e2 = ExpOf({2 * a, 0});
  return std::copysign(Divide(Add(e2, {-1, 0}), Add(e2, {1, 0})).hi, x);
}

double HyperbolicArcSine(double x) {
  const double a = std::fabs(x);
  if (!std::isfinite(x) || a < 0x1p-28) return x;
  // ln(a + √(a² + 1)), or ln a + ln 2 where the 1 no longer counts.
  const Dd l =
      a > 0x1p28 ? Add(Log(a), kLn2) : Log(Add({a, 0}, SquareRoot(Add(TwoProduct(a, a), {1, 0}))));
  return std::copysign(l.hi, x);
}

double HyperbolicArcCosine(double x) {
  if (std::isnan(x) || x < 1) return std::numeric_limits<double>::quiet_NaN();
  if (std::isinf(x)) return x;
  // ln(x + √(x² - 1)), with x² - 1 exact near 1.
  const Dd l =
      x > 0x1p28 ? Add(Log(x), kLn2) : Log(Add({x, 0}, SquareRoot(Add(TwoProduct(x, x), {-1, 0}))));
  return l.hi;
}

double HyperbolicArcTangent(double x) {
  const double a = std::fabs(x);
  if (std::isnan(x) || a < 0x1p-28) return x;
  if (a > 1) return std::numeric_limits<double>::quiet_NaN();
  if (a == 1) return std::copysign(std::numeric_limits<double>::infinity(), x);
  // ½·ln((1 + a)/(1 - a)); 1 - a is exact from a = ½ on, and the quotient keeps a small a.
  return std::copysign(0.5 * Log(Divide(TwoSum(1, a), TwoSum(1, -a))).hi, x);
}

double Exponential(double x) {
  if (std::isnan(x)) return x;
  if (x > 710) return std::numeric_limits<double>::infinity();
  if (x < -746) return 0.0;
  if (x == 0) return 1;
  int k = 0;
  const Dd e = Exp({x, 0}, &k);
  return ScaledDd(e, k);
}
