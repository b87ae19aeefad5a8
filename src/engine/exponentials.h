// SPDX-License-Identifier: GPL-3.0-or-later
// Powers, logarithms and the hyperbolic functions, the same double on every system and the true
// value rounded but for the rarest cases: computed in double-double arithmetic (about 100 bits)
// and rounded once. Some C libraries miss by several units in the last place (10^-25, 0.03^45),
// and no two agree on every bit.
#pragma once

// x^y, with the C standard's special cases (0^0 = 1, (-8)^(1/3) = NaN, (-2)^3 = -8, 1^NaN = 1…).
double Power(double x, double y);
// The n-th root of x, n any number: x^(1/n) with 1/n taken exactly, so that an exact root is
// exact (∛27 = 3, where 27^(1/3) is not); of a negative x the real root when n is an odd whole
// number, NaN for any other n. n = 0 gives x^∞, as x^(1/0) does.
double Root(double x, double n);
// n is a whole number and odd, small enough for every double of its size to be whole and odd.
bool IsOddWhole(double n);

// ln x and log10 x: NaN below 0, -∞ at ±0.
double NaturalLog(double x);
double DecimalLog(double x);

// sinh, cosh, tanh and their inverses; NaN outside their domains, ±∞ for atanh(±1).
double HyperbolicSine(double x);
double HyperbolicCosine(double x);
double HyperbolicTangent(double x);
double HyperbolicArcSine(double x);
double HyperbolicArcCosine(double x);
double HyperbolicArcTangent(double x);

// e^x rounded once: what e^x means, not the double nearest e raised to x.
double Exponential(double x);
