// SPDX-License-Identifier: GPL-3.0-or-later
// Exact values of an evaluation: a fraction of two 128-bit integers, or such a fraction times π.
// Every number typed is a decimal, so the calculations people check by hand (0.1+0.2 = 0.3,
// 1-0.9-0.1 = 0, sin π = 0) come out exact and are rounded to a double once, at the end.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

__extension__ typedef unsigned __int128 Uint128;  // GCC and Clang, on every target we build

// numerator/denominator in lowest terms, denominator above 0; zero is 0/1 and never negative.
// No member has a default: the evaluator's node pool, which holds one in each node, is then
// left as it is when it is made rather than written over, 32 KiB at each evaluation.
struct Rational {
  Uint128 numerator;
  Uint128 denominator;
  bool negative;
};

// A value as the evaluator carries it: the double always, and the exact value where it is known
// (exact), that value being ratio, or ratio times π when timesPi is set.
struct Value {
  double number;
  bool exact;
  bool timesPi;
  Rational ratio;  // 0/1 when not exact
};

// The value of a whole decimal ("12", "-0.25", ".5", "5."): exact when its digits fit 128 bits,
// otherwise the double read from it. The text holds only digits, one point and a leading "-".
Value DecimalValue(std::u16string_view digits);

// Exact values from a rational or from a whole number; the double is the exact one rounded once.
Value ExactValue(const Rational& r, bool timesPi = false);
Value WholeValue(int64_t n);
// A double as it is, not exact.
Value InexactValue(double number);

// The greatest common divisor of a and b; that of 0 and b is b.
Uint128 Gcd(Uint128 a, Uint128 b);

// The exact arithmetic: false (and *out untouched) when the result outgrows 128 bits, or, for
// the division, when b is 0.
bool AddRationals(const Rational& a, const Rational& b, Rational* out);
bool MultiplyRationals(const Rational& a, const Rational& b, Rational* out);
bool DivideRationals(const Rational& a, const Rational& b, Rational* out);
// a^n for a whole n of either sign (a 0 base needs n ≥ 0).
bool PowerOfRational(const Rational& a, int64_t n, Rational* out);
// The n-th root, n ≥ 1, when numerator and denominator are both perfect n-th powers (and a is not
// negative for an even n).
bool RootOfRational(const Rational& a, int64_t n, Rational* out);
Rational Negated(Rational a);
// -1, 0 or 1 as a is below, equal to or above b.
int CompareRationals(const Rational& a, const Rational& b);

bool IsZero(const Rational& r);
// The rational as a 64-bit whole number, when it is one and fits.
bool WholeNumberOf(const Rational& r, int64_t* n);

// The double nearest the rational, ties to even.
double RationalToDouble(const Rational& r);
// The double nearest r·π (computed to about 100 bits, then rounded once).
double RationalTimesPiToDouble(const Rational& r);

// The rational to about 104 bits, as hi + lo.
void RationalToDoubleDouble(const Rational& r, double* hi, double* lo);

// The exact value written for the evaluator to read back: "(1/3)", "(-2/3*pi)", "0.25".
std::u16string ExactValueText(const Value& v);
