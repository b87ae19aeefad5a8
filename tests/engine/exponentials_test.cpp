// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "../support/ulps.h"
#include "engine/exponentials.h"

namespace {

constexpr double kInf = HUGE_VAL;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();


// The true values rounded to the nearest double (worked out with 80 decimal digits). Exact
// answers must come out exact, halfway ones rounded to even (17^13), and the cases some C
// libraries miss by several units (10^-25, 0.03^45) within one.
TEST(Exponentials, PowersAreTheTrueValueRounded) {
  struct Case {
    double x, y, power;
    uint64_t ulps;  // 0: exactly
  } cases[] = {
      {10, -25, 1e-25, 1}, {10, -2, 0.01, 0}, {10, 23, 1e+23, 0}, {17, 13, 9904578032905936.0, 0},
      {0.03, 45, 2.954312706550829e-69, 1}, {2, 0.5, 1.4142135623730951, 0}, {8, 1.0 / 3, 2.0, 0},
      {1.0001, 300, 1.0304529883759093, 1}, {7.3, 100, 2.1492454304289754e+86, 1},
      {2.5, -25, 1.125899906842624e-10, 0}, {0.7, -700, 2.7000511404971474e+108, 1}, {1e-300, 1.5, 0.0, 0},
      // Halfway with a fractional power ((208071²)^1.5), and below the normal range: rounded once.
      {43293541041, 1.5, 9008130377941912, 0}, {7.763438936011728e-74, 4.212776766111353, 0x0.74260f601f767p-1022, 0},
      {0x1.23c6140e8p-342, 3, 0x0.17b045a3d7d4bp-1022, 0},
      // The special cases of the C standard.
      {-2, 3, -8, 0}, {-8, 1.0 / 3, kNaN, 0}, {kNaN, 0, 1, 0}, {1, kNaN, 1, 0}, {-1, kInf, 1, 0},
      {0.5, kInf, 0, 0}, {0.5, -kInf, kInf, 0}, {-0.0, -3, -kInf, 0}, {-0.0, -2, kInf, 0}, {-0.0, 3, -0.0, 0},
      {-kInf, 3, -kInf, 0}, {-kInf, -3, -0.0, 0}, {-1, 1e308, 1, 0}, {0.5, -1080, kInf, 0}, {2, -1074, 5e-324, 0},
  };
  for (const Case& c : cases) {
    const double power = Power(c.x, c.y);
    EXPECT_LE(UlpsApart(power, c.power), c.ulps) << c.x << "^" << c.y << " = " << power;
    if (c.power == 0) {
      EXPECT_EQ(std::signbit(power), std::signbit(c.power)) << c.x << "^" << c.y;
    }
  }
}

TEST(Exponentials, LogarithmsAndHyperbolicFunctionsWithinOneUnit) {
  struct Log {
    double x, ln, log10;
  } logs[] = {
      {0.5, -0.6931471805599453, -0.3010299956639812},        {10, 2.302585092994046, 1.0},
      {1e-300, -690.7755278982137, -300.0},                   {1.7976931348623157e+308, 709.782712893384, 308.25471555991675},
      {0.9999999999999999, -1.1102230246251565e-16, -4.821637332766436e-17},
      {1.0000000000000002, 2.2204460492503128e-16, 9.64327466553287e-17},
      {0, -kInf, -kInf}, {-1, kNaN, kNaN}, {kInf, kInf, kInf},
  };
  for (const Log& c : logs) {
    EXPECT_LE(UlpsApart(NaturalLog(c.x), c.ln), 1) << "ln " << c.x;
    EXPECT_LE(UlpsApart(DecimalLog(c.x), c.log10), 1) << "log " << c.x;
  }
  for (double x : {1e3, 1e-7, 1e22, 1.0}) EXPECT_EQ(DecimalLog(x), std::round(DecimalLog(x))) << x;

  struct Hyperbolic {
    double x, sinh, cosh, tanh;
  } hyperbolics[] = {
      {1e-05, 1.0000000000166668e-05, 1.00000000005, 9.999999999666668e-06},
      {0.5, 0.5210953054937474, 1.1276259652063807, 0.46211715726000974},
      {3, 10.017874927409903, 10.067661995777765, 0.9950547536867305},
      {21.5, 1087179776.7882442, 1087179776.7882442, 1.0},
      {700, 5.0711602736750225e+303, 5.0711602736750225e+303, 1.0},
      {711, kInf, kInf, 1.0},
      {kInf, kInf, kInf, 1.0},
      // Its exact products go wrong if the compiler fuses a multiply and an add.
      {0x1.a7a1175139237p-23, 0x1.a7a1175139267p-23, 1.0000000000000195, 0x1.a7a11751391d6p-23},
  };
  for (const Hyperbolic& c : hyperbolics) {
    for (double sign : {1.0, -1.0}) {
      const double x = sign * c.x;
      EXPECT_LE(UlpsApart(HyperbolicSine(x), sign * c.sinh), 1) << "sinh " << x;
      EXPECT_LE(UlpsApart(HyperbolicCosine(x), c.cosh), 1) << "cosh " << x;
      EXPECT_LE(UlpsApart(HyperbolicTangent(x), sign * c.tanh), 1) << "tanh " << x;
    }
  }
  struct Inverse {
    double x, asinh, acosh, atanh;
  } inverses[] = {
      {1e-05, 9.999999999833334e-06, kNaN, 1.0000000000333334e-05},
      {0.5, 0.48121182505960347, kNaN, 0.5493061443340549},
      {3, 1.8184464592320668, 1.762747174039086, kNaN},
      {21.5, 3.7617405103524564, 3.7606588435325503, kNaN},
      {1e10, 23.7189981105004, 23.7189981105004, kNaN},
  };
  for (const Inverse& c : inverses) {
    EXPECT_LE(UlpsApart(HyperbolicArcSine(c.x), c.asinh), 1) << "asinh " << c.x;
    EXPECT_LE(UlpsApart(HyperbolicArcSine(-c.x), -c.asinh), 1) << "asinh " << -c.x;
    EXPECT_LE(UlpsApart(HyperbolicArcCosine(c.x), c.acosh), 1) << "acosh " << c.x;
    EXPECT_LE(UlpsApart(HyperbolicArcTangent(c.x), c.atanh), 1) << "atanh " << c.x;
  }
  EXPECT_EQ(HyperbolicArcCosine(1), 0);
  EXPECT_TRUE(std::isnan(HyperbolicArcCosine(0.5)) && std::isnan(HyperbolicArcTangent(1.5)));
  EXPECT_EQ(HyperbolicArcTangent(-1), -kInf);
}

}  // namespace
