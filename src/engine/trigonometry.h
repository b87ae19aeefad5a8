// SPDX-License-Identifier: GPL-3.0-or-later
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

// The same six with angles in degrees. The angle is reduced modulo 360 exactly before it is
// turned into radians, so the zeros are exact zeros (sin 180 is 0), every other value is the true
// one at the exact angle rounded once (sin 30 is ½, tan 45 is 1, cos(10^22) is right), and the
// inverses give the true angle rounded once (asin ½ is 30). The tangent of an odd multiple of 90
// is NaN.
double SineInDegrees(double x);
double CosineInDegrees(double x);
double TangentInDegrees(double x);
double ArcSineInDegrees(double x);
double ArcCosineInDegrees(double x);
double ArcTangentInDegrees(double x);

// x is an odd multiple of 90 (degrees): where the tangent has no value.
bool IsOddRightAngle(double x);

// Sine, cosine or tangent of quadrant·π/2 + (hi + lo) radians, with |hi + lo| at most π/4,
// rounded once: for an angle known exactly and reduced exactly by its caller.
enum class Circular { kSine, kCosine, kTangent };
double CircularOfReduced(Circular function, int quadrant, double hi, double lo);
