// SPDX-License-Identifier: GPL-3.0-or-later
// The functions whose answer is known exactly for exact arguments: the circular functions at
// angles known exactly, their inverses at 0, ±½ and ±1, rounding to n decimals, arrangements
// and combinations. Elsewhere they give the true value rounded once, or close to it.
#pragma once
#include <cstdint>

#include "engine/exact_number.h"
#include "engine/trigonometry.h"

// The function of an angle of `turn` whole turns, known exactly: exact where the answer is
// rational (sin of 30°, tan of 45°, cos of 90°), the true value rounded once elsewhere. Returns
// false when the turn is too large a fraction to reduce exactly; *undefined is set for the
// tangent of an odd right angle.
bool CircularOfTurn(Circular function, const Rational& turn, Value* out, bool* undefined);

// The inverse functions where the answer is a simple fraction of a turn: asin and acos of 0, ±½
// and ±1, atan of 0 and ±1. inverse is 0 for asin, 1 for acos, 2 for atan. The angle is a
// multiple of π, or, in degrees, a rational. False elsewhere.
bool ExactInverse(int inverse, const Rational& x, bool degrees, Value* out);

// x rounded to `decimals` decimals (-15 to 15), halves away from zero: on the exact value where
// x has one, so that 2.675 rounds to 2.68 as typed.
Value RoundToDecimals(const Value& x, int64_t decimals);

// Arrangements (n!/(n-k)!) and combinations (n!/(k!(n-k)!)) of k among n, both whole, 0 ≤ k ≤ n
// (the caller checks): exact while they fit 128 bits, the double product after.
Value Arrangements(double k, double n);
Value Combinations(double k, double n);
