// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/exact_number.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/double_double.h"
#include "platform/numbers.h"

namespace {

constexpr Uint128 kDoubleExact = Uint128(1) << 53;  // below it every integer is a double
constexpr uint64_t kLargest64Before10 = (UINT64_MAX - 9) / 10;  // times 10 plus a digit fits

int BitLength(Uint128 v) {
  const auto high = static_cast<uint64_t>(v >> 64), low = static_cast<uint64_t>(v);
  if (high) return 128 - __builtin_clzll(high);
  return low ? 64 - __builtin_clzll(low) : 0;
}

int TrailingZeros(Uint128 v) {  // v ≠ 0
  const auto low = static_cast<uint64_t>(v);
  return low ? __builtin_ctzll(low) : 64 + __builtin_ctzll(static_cast<uint64_t>(v >> 64));
}

}  // namespace

// Binary GCD; the common case of two numbers of 64 bits goes the 64-bit way.
Uint128 Gcd(Uint128 a, Uint128 b) {
  if (a == 0) return b;
  if (b == 0) return a;
  const int shift = TrailingZeros(a | b);
  a >>= TrailingZeros(a);
  while (b != 0) {
    b >>= TrailingZeros(b);
    if ((a | b) >> 64 == 0) {
      auto x = static_cast<uint64_t>(a), y = static_cast<uint64_t>(b);
      while (y != 0) {
        y >>= __builtin_ctzll(y);
        if (x > y) std::swap(x, y);
        y -= x;
      }
      return Uint128(x) << shift;
    }
    if (a > b) std::swap(a, b);
    b -= a;
  }
  return a << shift;
}

namespace {

// a / b, in 64 bits where both fit: a 128-bit division is a call several times slower.
Uint128 Over(Uint128 a, Uint128 b) {
  if ((a | b) >> 64 == 0) return static_cast<uint64_t>(a) / static_cast<uint64_t>(b);
  return a / b;
}

bool Multiplied(Uint128 a, Uint128 b, Uint128* out) { return !__builtin_mul_overflow(a, b, out); }

Rational Reduced(Uint128 numerator, Uint128 denominator, bool negative) {
  if (numerator == 0) return {0, 1, false};
  if (denominator != 1) {
    const Uint128 g = Gcd(numerator, denominator);
    numerator = Over(numerator, g);
    denominator = Over(denominator, g);
  }
  return {numerator, denominator, negative};
}

// a / b for b > 0 rounded to the nearest double, ties to even: a quotient of 55 bits and whether
// anything was left below it decide the last bit.
double QuotientToDouble(Uint128 a, Uint128 b) {
  if (a < kDoubleExact && b < kDoubleExact)  // both exact doubles: IEEE division rounds once
    return static_cast<double>(static_cast<uint64_t>(a)) /
           static_cast<double>(static_cast<uint64_t>(b));
  if (a == 0) return 0;
  const int shift = 55 - (BitLength(a) - BitLength(b));  // a·2^shift / b lies in [2^54, 2^56)
  Uint128 q = 0;
  bool sticky = false;
  if (shift >= 0) {
    const int first = std::min(shift, 128 - BitLength(a));
    const Uint128 scaled = a << first;
    q = scaled / b;
    Uint128 rest = scaled % b;
    for (int i = first; i < shift; ++i) {  // the rest of the shift one bit at a time
      q <<= 1;
      if (rest >= b - rest) {
        rest -= b - rest;
        q |= 1;
      } else {
        rest <<= 1;
      }
    }
    sticky = rest != 0;
  } else {
    const Uint128 whole = a / b;
    sticky = a % b != 0 || (whole & ((Uint128(1) << -shift) - 1)) != 0;
    q = whole >> -shift;
  }
  int exponent = -shift;
  while (q >> 55) {  // down to 55 bits: 53, a rounding bit and one more
    sticky = sticky || (q & 1);
    q >>= 1;
    ++exponent;
  }
  sticky = sticky || (q & 1);
  q >>= 1;
  ++exponent;
  const bool half = q & 1;
  uint64_t mantissa = static_cast<uint64_t>(q >> 1);
  ++exponent;
  if (half && (sticky || (mantissa & 1))) ++mantissa;
  return std::ldexp(static_cast<double>(mantissa), exponent);
}

doubledouble::Dd ToDoubleDouble(Uint128 v) {  // 43-bit pieces, each exact as a double
  const Uint128 mask = (Uint128(1) << 43) - 1;
  const double c0 = static_cast<double>(static_cast<uint64_t>(v & mask));
  const double c1 = std::ldexp(static_cast<double>(static_cast<uint64_t>((v >> 43) & mask)), 43);
  const double c2 = std::ldexp(static_cast<double>(static_cast<uint64_t>(v >> 86)), 86);
  return doubledouble::Add(doubledouble::TwoSum(c2, c1), {c0, 0});
}

constexpr doubledouble::Dd kPiDd = {3.141592653589793, 1.2246467991473532e-16};

std::u16string WholeText(Uint128 v) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + static_cast<int>(v % 10)));
    v /= 10;
  } while (v != 0);
  return digits;
}

}  // namespace

Value DecimalValue(std::u16string_view digits) {
  const std::u16string_view text = digits;
  bool negative = false;
  if (!digits.empty() && digits.front() == u'-') {
    negative = true;
    digits.remove_prefix(1);
  }
  // Most numbers typed have at most 19 digits: 64-bit arithmetic, which is several times faster.
  uint64_t numerator = 0, denominator = 1;
  Uint128 wideNumerator = 0, wideDenominator = 1;
  bool wide = false, afterPoint = false;
  for (char16_t c : digits) {
    if (c == u'.') {
      afterPoint = true;
      continue;
    }
    const auto digit = static_cast<unsigned>(c - u'0');
    if (!wide && numerator <= kLargest64Before10 && denominator <= kLargest64Before10) {
      numerator = numerator * 10 + digit;
      if (afterPoint) denominator *= 10;
      continue;
    }
    if (!wide) wideNumerator = numerator, wideDenominator = denominator, wide = true;
    if (!Multiplied(wideNumerator, 10, &wideNumerator) ||
        __builtin_add_overflow(wideNumerator, Uint128(digit), &wideNumerator) ||
        (afterPoint && !Multiplied(wideDenominator, 10, &wideDenominator)))
      return InexactValue(ReadLeadingDouble(text));
  }
  Value v{};
  v.exact = true;
  if (wide) {
    v.ratio = Reduced(wideNumerator, wideDenominator, negative);
  } else {
    // The denominator is a power of ten: only 2 and 5 can be common factors.
    if (numerator == 0) denominator = 1;
    while (denominator != 1 && numerator % 10 == 0) numerator /= 10, denominator /= 10;
    if (denominator != 1) {
      const int twos = std::min(__builtin_ctzll(numerator), __builtin_ctzll(denominator));
      numerator >>= twos, denominator >>= twos;
      while (denominator % 5 == 0 && numerator % 5 == 0) numerator /= 5, denominator /= 5;
    }
    v.ratio = {numerator, denominator, negative && numerator != 0};
  }
  v.number = RationalToDouble(v.ratio);
  if (negative && v.number == 0) v.number = -0.0;  // "-0" is -0, as its double reads
  return v;
}

Value ExactValue(const Rational& r, bool timesPi) {
  Value v{};
  v.exact = true;
  v.timesPi = timesPi && !IsZero(r);
  v.ratio = r;
  v.number = v.timesPi ? RationalTimesPiToDouble(r) : RationalToDouble(r);
  return v;
}

Value WholeValue(int64_t n) {
  const bool negative = n < 0;
  const Uint128 magnitude =
      negative ? static_cast<Uint128>(-(n + 1)) + 1 : static_cast<Uint128>(n);  // also INT64_MIN
  return ExactValue({magnitude, 1, negative});
}

Value InexactValue(double number) { return {number, false, false, {0, 1, false}}; }

bool AddRationals(const Rational& a, const Rational& b, Rational* out) {
  if (a.denominator == 1 && b.denominator == 1) {  // whole numbers: no common factor to find
    Uint128 numerator;
    bool negative = a.negative;
    if (a.negative == b.negative) {
      if (__builtin_add_overflow(a.numerator, b.numerator, &numerator)) return false;
    } else if (a.numerator >= b.numerator) {
      numerator = a.numerator - b.numerator;
    } else {
      numerator = b.numerator - a.numerator;
      negative = b.negative;
    }
    *out = {numerator, 1, negative && numerator != 0};
    return true;
  }
  const Uint128 g =
      a.denominator == b.denominator ? a.denominator : Gcd(a.denominator, b.denominator);
  const Uint128 aScale = Over(b.denominator, g), bScale = Over(a.denominator, g);
  Uint128 x, y, denominator;
  if (!Multiplied(a.numerator, aScale, &x) || !Multiplied(b.numerator, bScale, &y) ||
      !Multiplied(a.denominator, aScale, &denominator))
    return false;
  Uint128 numerator;
  bool negative = a.negative;
  if (a.negative == b.negative) {
    if (__builtin_add_overflow(x, y, &numerator)) return false;
  } else if (x >= y) {
    numerator = x - y;
  } else {
    numerator = y - x;
    negative = b.negative;
  }
  *out = Reduced(numerator, denominator, negative);
  return true;
}

bool MultiplyRationals(const Rational& a, const Rational& b, Rational* out) {
  if (a.denominator == 1 && b.denominator == 1) {
    Uint128 numerator;
    if (!Multiplied(a.numerator, b.numerator, &numerator)) return false;
    *out = {numerator, 1, numerator != 0 && a.negative != b.negative};
    return true;
  }
  const Uint128 g1 = Gcd(a.numerator, b.denominator), g2 = Gcd(b.numerator, a.denominator);
  Uint128 numerator, denominator;
  if (!Multiplied(Over(a.numerator, g1), Over(b.numerator, g2), &numerator) ||
      !Multiplied(Over(a.denominator, g2), Over(b.denominator, g1), &denominator))
    return false;
  *out = numerator == 0 ? Rational{0, 1, false}
                        : Rational{numerator, denominator, a.negative != b.negative};
  return true;
}

bool DivideRationals(const Rational& a, const Rational& b, Rational* out) {
  if (IsZero(b)) return false;
  return MultiplyRationals(a, {b.denominator, b.numerator, b.negative}, out);
}

bool PowerOfRational(const Rational& a, int64_t n, Rational* out) {
  Rational base = a;
  if (n < 0) {
    if (IsZero(a)) return false;
    base = {a.denominator, a.numerator, a.negative};
    if (n == INT64_MIN) return false;
    n = -n;
  }
  Rational result = {1, 1, false};
  while (n > 0) {
    if (n & 1 && !MultiplyRationals(result, base, &result)) return false;
    n >>= 1;
    if (n > 0 && !MultiplyRationals(base, base, &base)) return false;
  }
  *out = result;
  return true;
}

namespace {

// The whole n-th root of v when v is a perfect n-th power.
bool WholeRoot(Uint128 v, int64_t n, Uint128* root) {
  if (v <= 1 || n == 1) {
    *root = v;
    return true;
  }
  if (n > 127) return false;  // v ≥ 2 has no whole root of that order below 2^128
  // The double estimate is within one of the root; the neighbours are checked exactly.
  const double estimate =
      std::round(std::pow(static_cast<double>(v), 1.0 / static_cast<double>(n)));
  for (double candidate = std::max(estimate - 1, 1.0); candidate <= estimate + 1; ++candidate) {
    Uint128 power = 1;
    bool fits = true;
    const auto base = static_cast<Uint128>(candidate);
    for (int64_t i = 0; i < n && fits; ++i) fits = Multiplied(power, base, &power);
    if (fits && power == v) {
      *root = base;
      return true;
    }
  }
  return false;
}

}  // namespace

bool RootOfRational(const Rational& a, int64_t n, Rational* out) {
  if (n < 1 || (a.negative && n % 2 == 0)) return false;
  Uint128 numerator, denominator;
  if (!WholeRoot(a.numerator, n, &numerator) || !WholeRoot(a.denominator, n, &denominator))
    return false;
  *out = {numerator, denominator, a.negative};
  return true;
}

Rational Negated(Rational a) {
  if (a.numerator != 0) a.negative = !a.negative;
  return a;
}

int CompareRationals(const Rational& a, const Rational& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  if (Rational difference; AddRationals(a, Negated(b), &difference))
    return IsZero(difference) ? 0 : difference.negative ? -1 : 1;
  // Too large to subtract: the whole parts, then the rests, compared as continued fractions do.
  Uint128 an = a.numerator, ad = a.denominator, bn = b.numerator, bd = b.denominator;
  int sign = a.negative ? -1 : 1;
  for (;;) {
    const Uint128 aw = an / ad, bw = bn / bd;
    if (aw != bw) return aw < bw ? -sign : sign;
    an %= ad;
    bn %= bd;
    if (an == 0 || bn == 0) return an == bn ? 0 : an == 0 ? -sign : sign;
    // a's rest an/ad against b's: compare their inverses, the other way round.
    std::swap(an, ad);
    std::swap(bn, bd);
    sign = -sign;
  }
}

bool IsZero(const Rational& r) { return r.numerator == 0; }

bool WholeNumberOf(const Rational& r, int64_t* n) {
  if (r.denominator != 1 || r.numerator > static_cast<Uint128>(INT64_MAX)) return false;
  const auto magnitude = static_cast<int64_t>(r.numerator);
  *n = r.negative ? -magnitude : magnitude;
  return true;
}

double RationalToDouble(const Rational& r) {
  const double magnitude = QuotientToDouble(r.numerator, r.denominator);
  return r.negative ? -magnitude : magnitude;
}

void RationalToDoubleDouble(const Rational& r, double* hi, double* lo) {
  const doubledouble::Dd q =
      doubledouble::Divide(ToDoubleDouble(r.numerator), ToDoubleDouble(r.denominator));
  *hi = r.negative ? -q.hi : q.hi;
  *lo = r.negative ? -q.lo : q.lo;
}

double RationalTimesPiToDouble(const Rational& r) {
  using namespace doubledouble;
  const Dd quotient = Divide(ToDoubleDouble(r.numerator), ToDoubleDouble(r.denominator));
  const Dd product = Multiply(quotient, kPiDd);
  const double magnitude = product.hi + product.lo;
  return r.negative ? -magnitude : magnitude;
}

std::u16string ExactValueText(const Value& v) {
  const Rational& r = v.ratio;
  std::u16string text = r.negative ? u"(-" : u"(";
  text += WholeText(r.numerator);
  if (r.denominator != 1) text += u"/" + WholeText(r.denominator);
  if (v.timesPi) text += u"*pi";
  return text + u")";
}
