// Sine, cosine and tangent in radians, the same double on every system and right for any
// argument: a huge one (sin(2^700)) is reduced by the exact multiple of π/2, where some C
// libraries reduce by a 66-bit π and answer at random.
#pragma once

double Sine(double x);
double Cosine(double x);
double Tangent(double x);

// Their inverses, in radians, computed in double-double arithmetic and rounded once; NaN outside
// [-1, 1] for the arc sine and cosine.
double ArcSine(double x);
double ArcCosine(double x);
double ArcTangent(double x);
