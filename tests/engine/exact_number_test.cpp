// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/exact_number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "platform/numbers.h"

namespace {

// A decimal of up to 38 digits is exact, and its double is the one the standard reader gives:
// the quotient is rounded once, ties to even, also where the fraction needs all 128 bits.
TEST(ExactNumber, DecimalsReadAsTheirNearestDouble) {
  std::mt19937_64 random(36);
  for (int i = 0; i < 20000; ++i) {
    std::u16string text;
    const int digits = 1 + static_cast<int>(random() % 38), point = static_cast<int>(random() % (digits + 1));
    for (int d = 0; d < digits; ++d) {
      if (d == point) text += u'.';
      text += static_cast<char16_t>(u'0' + random() % 10);
    }
    if (random() % 2) text = u"-" + text;
    const Value v = DecimalValue(text);
    EXPECT_TRUE(v.exact) << std::string(text.begin(), text.end());
    EXPECT_EQ(v.number, ReadLeadingDouble(text)) << std::string(text.begin(), text.end());
  }
  EXPECT_FALSE(DecimalValue(u"340282366920938463463374607431768211456").exact);  // 2^128
  EXPECT_EQ(DecimalValue(u"340282366920938463463374607431768211456").number, 0x1p128);
}

TEST(ExactNumber, QuotientsRoundOnceTiesToEven) {
  constexpr Uint128 kOne = 1;
  const struct {
    Rational r;
    double expected;
  } cases[] = {
      {{(kOne << 100) + (kOne << 47), 1, false}, 0x1p100},                       // a tie: to even
      {{(kOne << 100) + (kOne << 47) + 1, 1, false}, 0x1p100 + 0x1p48},          // past it
      {{(kOne << 100) + 3 * (kOne << 47), 1, false}, 0x1p100 + 0x1p49},          // a tie: to even
      {{1, (kOne << 127) + 1, false}, 0x1p-127},
      {{~Uint128(0), 1, true}, -0x1p128},
      {{(kOne << 53) + 1, 2, false}, 4503599627370496.5},
      {{10, 3, false}, 10.0 / 3},
      {{(kOne << 120) / 3, kOne << 120, false}, 1.0 / 3},
  };
  for (const auto& c : cases) EXPECT_EQ(RationalToDouble(c.r), c.expected);
}

TEST(ExactNumber, ArithmeticRefusesWhatOutgrows128Bits) {
  const Rational big = {Uint128(1) << 100, 1, false}, third = {1, 3, false};
  Rational out;
  EXPECT_FALSE(MultiplyRationals(big, big, &out));
  EXPECT_FALSE(PowerOfRational({2, 1, false}, 128, &out));
  ASSERT_TRUE(PowerOfRational({2, 3, true}, -3, &out));
  EXPECT_EQ(RationalToDouble(out), -27.0 / 8);
  ASSERT_TRUE(AddRationals(third, Negated(third), &out));
  EXPECT_TRUE(IsZero(out) && !out.negative);
  EXPECT_EQ(CompareRationals({~Uint128(0), 3, false}, {~Uint128(0) - 1, 3, false}), 1);
  EXPECT_EQ(ExactValueText(ExactValue({2, 3, true}, true)), u"(-2/3*pi)");
}

}  // namespace
