// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <tuple>

#include "../support/ulps.h"
#include "engine/evaluator.h"
#include "engine/trigonometry.h"

namespace {


// The true values, rounded to the nearest double, worked out with 1700 bits of π: from small
// arguments to the largest double, through the double closest to a multiple of π/2 (about
// 5.3·10^255, whose cosine cancels 61 bits) and arguments where a C library that reduces by
// a 66-bit π answers at random.
TEST(Trigonometry, WithinOneUnitInTheLastPlaceForEveryMagnitude) {
  struct Case {
    double x, sine, cosine, tangent;
  } cases[] = {
      {0.5, 0.479425538604203, 0.8775825618903728, 0.5463024898437905},
      {2.0, 0.9092974268256817, -0.4161468365471424, -2.185039863261519},
      {3.141592653589793, 1.2246467991473532e-16, -1.0, -1.2246467991473532e-16},
      {1.5707963267948966, 1.0, 6.123233995736766e-17, 1.633123935319537e+16},
      {4.71238898038469, -1.0, -1.8369701987210297e-16, 5443746451065123.0},
      {-7.322467119749345, -0.862040443837812, 0.5068394945028535, -1.7008154518095842},
      {710.0, 6.0288706691585265e-05, 0.999999998182636, 6.0288706801151796e-05},
      {1000000.5, 0.141954699000744, 0.9898731552232378, 0.14340695901459227},
      {1.152921504606847e+18, -0.8306492176372546, -0.5567960822766417, 1.4918373962705977},  // 2^60
      {1e+22, -0.8522008497671888, 0.523214785395139, -1.6287782256068988},
      {5.260135901548374e+210, -0.46054855909065234, 0.8876345107754227, -0.5188493163569371},  // 2^700
      {5.319372648326541e+255, 1.0, -4.687165924254628e-19, -2.133485385753704e+18},
      {1.7976931348623157e+308, 0.004961954789184062, -0.9999876894265599, -0.004962015874444895},
  };
  for (const Case& c : cases) {
    for (double sign : {1.0, -1.0}) {  // odd, even and odd functions
      const double x = sign * c.x;
      EXPECT_LE(UlpsApart(Sine(x), sign * c.sine), 1) << "sin " << x;
      EXPECT_LE(UlpsApart(Cosine(x), c.cosine), 1) << "cos " << x;
      EXPECT_LE(UlpsApart(Tangent(x), sign * c.tangent), 1) << "tan " << x;
    }
  }
  // Rounded to the nearest, where a polynomial kernel lands one off.
  EXPECT_EQ(Cosine(-0.7781228584551148), 0x1.6ca9baf7b348fp-1);
  EXPECT_EQ(Tangent(-0.6395214029630161), -0x1.7cd360a0e17b1p-1);
  // Zero keeps its sign where the function is odd; infinities and NaN have no value.
  EXPECT_TRUE(std::signbit(Sine(-0.0)) && std::signbit(Tangent(-0.0)));
  EXPECT_EQ(Cosine(-0.0), 1.0);
  for (double x : {HUGE_VAL, -HUGE_VAL, std::numeric_limits<double>::quiet_NaN()})
    EXPECT_TRUE(std::isnan(Sine(x)) && std::isnan(Cosine(x)) && std::isnan(Tangent(x))) << x;
  // The inverse functions, from the same reckoning.
  struct Inverse {
    double x, arcSine, arcCosine, arcTangent;
  } inverses[] = {
      {0.5, 0.5235987755982989, 1.0471975511965979, 0.4636476090008061},
      {-0.5, -0.5235987755982989, 2.0943951023931957, -0.4636476090008061},
      {0.9999999999999999, 1.5707963118937354, 1.4901161193847656e-08, 0.7853981633974483},
      {1e-05, 1.0000000000166668e-05, 1.5707863267948965, 9.999999999666668e-06},
      {1, 1.5707963267948966, 0, 0.7853981633974483},
      {-1e10, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(),
       -1.5707963266948965},
      {1e300, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(),
       1.5707963267948966},
  };
  for (const Inverse& c : inverses) {
    for (auto [value, expected, name] : {std::tuple{ArcSine(c.x), c.arcSine, "asin"},
                                         std::tuple{ArcCosine(c.x), c.arcCosine, "acos"},
                                         std::tuple{ArcTangent(c.x), c.arcTangent, "atan"}}) {
      if (std::isnan(expected))
        EXPECT_TRUE(std::isnan(value)) << name << " " << c.x;
      else
        EXPECT_LE(UlpsApart(value, expected), 1) << name << " " << c.x;
    }
  }
  EXPECT_EQ(ArcCosine(-1), 3.141592653589793);
  // The calculation uses them.
  ResetEngine();
  SetAngleMode(1);
  EXPECT_LE(UlpsApart(EvaluateExpression(u"sin(2^700)"), -0.46054855909065234), 1);
}

}  // namespace
