// SPDX-License-Identifier: GPL-3.0-or-later
// Double-double arithmetic: a number as the unevaluated sum of two doubles, about 106 bits,
// for the functions that must round their result once from something more precise.
#pragma once
#include <cmath>

namespace doubledouble {

// A double-double: hi + lo, with |lo| at most half an ulp of hi.
struct Dd {
  double hi, lo;
};

inline Dd TwoSum(double a, double b) {
  const double s = a + b, bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

inline Dd QuickTwoSum(double a, double b) {  // |a| ≥ |b|
  const double s = a + b;
  return {s, b - (s - a)};
}

// a·b exactly, by Dekker's splitting: a fused multiply-add is not computed exactly by every C
// library. Both factors stay far below 2^996, where the splitting would overflow.
inline Dd TwoProduct(double a, double b) {
  auto split = [](double v, double* high, double* low) {
    const double t = 134217729.0 * v;  // 2^27 + 1
    *high = t - (t - v);
    *low = v - *high;
  };
  double ah, al, bh, bl;
  split(a, &ah, &al);
  split(b, &bh, &bl);
  const double p = a * b;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

inline Dd Add(Dd a, Dd b) {
  Dd s = TwoSum(a.hi, b.hi);
  const Dd t = TwoSum(a.lo, b.lo);
  s.lo += t.hi;
  s = QuickTwoSum(s.hi, s.lo);
  s.lo += t.lo;
  return QuickTwoSum(s.hi, s.lo);
}

inline Dd Negated(Dd a) { return {-a.hi, -a.lo}; }

inline Dd Multiply(Dd a, Dd b) {
  Dd p = TwoProduct(a.hi, b.hi);
  p.lo += a.hi * b.lo + a.lo * b.hi;
  return QuickTwoSum(p.hi, p.lo);
}

inline Dd Divide(Dd a, Dd b) {
  const double q1 = a.hi / b.hi;
  Dd r = Add(a, Negated(Multiply(b, {q1, 0})));
  const double q2 = r.hi / b.hi;
  r = Add(r, Negated(Multiply(b, {q2, 0})));
  const double q3 = r.hi / b.hi;
  return Add(QuickTwoSum(q1, q2), {q3, 0});
}

inline Dd SquareRoot(Dd v) {
  if (v.hi <= 0) return {0, 0};
  const double s = std::sqrt(v.hi);
  const Dd square = TwoProduct(s, s);
  return QuickTwoSum(s, ((v.hi - square.hi) - square.lo + v.lo) / (2 * s));
}

}  // namespace doubledouble
