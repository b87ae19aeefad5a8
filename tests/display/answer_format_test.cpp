// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <numeric>
#include <random>
#include <string>

#include "display/answer_format.h"
#include "platform/unicode.h"
#include "settings/text_table.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kPi = std::numbers::pi;

std::string Narrow(const std::u16string& text) { return Utf16ToUtf8(text); }

// Glyphs as a French interface would show them, distinct enough to see each replacement.
void FillAnswerTexts() {
  ResetTextTable();
  textTable.resize(202);
  const char16_t* errors[] = {u"Opérande manquant", u"Division par zéro", u"Opérateur inconnu",
                              u"Fonction inconnue", u"Hors-domaine"};  // texts 171 to 175
  const char16_t* glyphs[] = {u"−", u"÷", u"×", u"=", u"↑", u"−", u"⁄", u"π", u"×", u"√", u"×", u"√", u"×",
                              u"×", u"−", u"−", u"×", u"−", u"×", u"×", u"⁄", u"⁄", u"π", u"√", u"√"};  // 177 to 201
  for (int n = 0; n < 5; ++n) textTable[171 + n] = errors[n];
  for (int n = 0; n < 25; ++n) textTable[177 + n] = glyphs[n];
}

class AnswerFormat : public ::testing::Test {
 protected:
  void SetUp() override { FillAnswerTexts(); }
  void TearDown() override { ResetTextTable(); }

  static std::string ExactForm(double answer, std::u16string expression = u"") {
    HistoryEntry entry{std::move(expression), answer, u"", 0};
    BuildExactForm(entry);
    return Narrow(entry.exactForm);
  }
};

TEST(FormatFixed, RoundsTheBinaryValueToNearestWithTiesToEven) {
  struct Case { double value; int decimals; const char* text; } cases[] = {
      {0.125, 2, "0.12"}, {0.375, 2, "0.38"}, {2.5, 0, "2"}, {3.5, 0, "4"}, {-2.5, 0, "-2"},
      {0.1, 20, "0.10000000000000000555"},  // the binary value, not the decimal one
      {1.005, 2, "1.00"},                   // 1.005 is stored just below it
      {1e22, 0, "10000000000000000000000"}, {-1234.5678, 3, "-1234.568"},
      {-0.0, 2, "-0.00"}, {-0.001, 2, "-0.00"}, {0.0, 0, "0"},
      {1.0 / 3.0, -1, "0.3333333333"},  // -1 means ten decimals
      {1234.56, -7, "1235"},            // fewer than -1: whole number
      {kInf, 3, "+Infinity"}, {-kInf, 3, "-Infinity"}, {kNaN, 3, "NaN"}, {-kNaN, 0, "NaN"},
  };
  for (const auto& c : cases) EXPECT_EQ(Narrow(FormatFixed(c.value, c.decimals)), c.text)
      << c.value << " at " << c.decimals;
}

TEST(FormatFixed, WritesWhatGlibcPrintfWritesAtAnyLength) {
  std::mt19937_64 random(5);
  std::uniform_int_distribution<int> exponent(-40, 40), decimals(0, 40);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::vector<std::pair<double, int>> samples = {
      {std::numeric_limits<double>::max(), 3}, {std::numeric_limits<double>::denorm_min(), 1100},
      {-std::numeric_limits<double>::min(), 1074}, {0.1, 2000}};
  for (int i = 0; i < 3000; ++i)
    samples.emplace_back(mantissa(random) * std::pow(10.0, exponent(random)), decimals(random));
  for (const auto& [value, count] : samples) {
    std::string expected(static_cast<size_t>(std::snprintf(nullptr, 0, "%.*f", count, value)), ' ');
    std::snprintf(expected.data(), expected.size() + 1, "%.*f", count, value);
    ASSERT_EQ(Narrow(FormatFixed(value, count)), expected) << value << " at " << count;
  }
}

TEST(FormatAnswerNumber, ThirteenSignificantDigitsAcrossMagnitudes) {
  struct Case { double value; const char* text; } cases[] = {
      {5, "5"}, {50, "50"}, {0.5, "0.5"}, {123.456, "123.456"}, {-123.456, "-123.456"},
      {1.0 / 3.0, "0.3333333333333"}, {2.0 / 3.0, "0.6666666666667"}, {0.00001, "0.00001"},
      {0.1 + 0.2, "0.3"}, {2e12, "2000000000000"}, {1234567890120, "1234567890120"},
      {9999999999999.4, "9999999999999"}, {1e-9, "0.000000001"},
      {9.99999999999996e-10, "0.000000001"},  // rounds up to 10^-9: still plain
      {0.0, "0"}, {-0.0, "0"},
      // Scientific at both ends, from the digits rounded to 13 significant places.
      {1.5e20, "1.5*10^20"}, {7.257415615307994e306, "7.257415615308*10^306"},
      {-2e15, "-2*10^15"}, {12345678901234.567, "1.234567890123*10^13"},
      {9999999999999.6, "1*10^13"}, {9999999999999.5, "1*10^13"}, {1e13, "1*10^13"}, {1e-10, "1*10^-10"},
      {-1.25e-12, "-1.25*10^-12"}, {5e-324, "4.940656458412*10^-324"},
      {std::numeric_limits<double>::max(), "1.797693134862*10^308"},
      {kInf, "+Infinity"}, {-kInf, "-Infinity"}, {kNaN, "NaN"},
  };
  for (const auto& c : cases) EXPECT_EQ(Narrow(FormatAnswerNumber(c.value)), c.text) << c.value;
}

TEST(FindFraction, FindsShortFractionsAndRefusesTheRest) {
  struct Case { double value; const char* text; } cases[] = {
      {0.75, "3/4"}, {-0.75, "-3/4"}, {2.5, "5/2"}, {1.0 / 3.0, "1/3"}, {-2.0 / 3.0, "-2/3"},
      {22.0 / 7.0, "22/7"}, {10000.0 / 9999.0, "10000/9999"}, {1.0 / 9973.0, "1/9973"},
      {9999.5, ""},  // 19999/2: numerator above the limit
      {1.0 / 3.0 + 1e-14, "1/3"},  // equal to 12 decimals
      {0.1, ""}, {0.01, ""}, {0.9999, ""},  // powers of ten are left to the decimal text
      {1.0 / 3.0 + 1e-11, ""}, {10001.0 / 3.0, ""}, {1.0 / 10001.0, ""},
      {3, ""}, {0, ""}, {-7, ""}, {kPi, ""}, {std::sqrt(2.0), ""}, {1e5, ""},
      {kInf, ""}, {-kInf, ""}, {kNaN, ""}, {5e-324, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Narrow(FindFraction(c.value)), c.text) << c.value;
}

// Every fraction found equals the value to 12 decimals and is in lowest terms. Two fractions
// with denominators up to 10000 differ by more than 10^-8, so for a value p/q, or one within
// 10^-13 of it, the fraction found can only be p/q itself.
TEST(FindFraction, AnyFractionFoundIsTheValueInLowestTerms) {
  std::mt19937_64 random(42);
  std::uniform_int_distribution<int64_t> part(1, 10000);
  std::uniform_real_distribution<double> offset(-1e-12, 1e-12);
  int found = 0;
  for (int i = 0; i < 12000; ++i) {
    int64_t p = part(random), q = part(random);
    const int64_t divisor = std::gcd(p, q);
    p = (i % 2 ? -1 : 1) * p / divisor;
    q /= divisor;
    const double value = static_cast<double>(p) / static_cast<double>(q) + (i % 3 ? 0 : 1e-13);
    std::string text = Narrow(FindFraction(value));
    if (!text.empty()) {
      ++found;
      ASSERT_EQ(text, std::to_string(p) + "/" + std::to_string(q)) << value;
    }

    // Near a fraction, but not always within 12 decimals of it.
    const double other = value + offset(random);
    text = Narrow(FindFraction(other));
    if (text.empty()) continue;
    p = std::stoll(text);
    q = std::stoll(text.substr(text.find('/') + 1));
    EXPECT_EQ(std::gcd(p, q), 1) << text;
    EXPECT_LT(std::fabs(other - static_cast<double>(p) / static_cast<double>(q)), 5.000001e-13);
  }
  EXPECT_GT(found, 11800);
}

TEST_F(AnswerFormat, ExactFormsOfFractionsAndMultiples) {
  struct Case { double answer; const char* form; std::u16string expression = u""; } cases[] = {
      {0.75, "3⁄4 = "}, {-0.75, "−3⁄4 = "}, {2.5, "5⁄2 = "}, {0.1, ""},
      {kPi, "π = "}, {-kPi, "−π = "}, {3 * kPi, "π×3 = "}, {-3 * kPi, "−π×3 = "},
      {kPi * 2 / 3, "π×2⁄3 = "}, {-kPi * 2 / 3, "−π×2⁄3 = "}, {kPi / 3, "π⁄3 = "},
      {std::sqrt(2.0), "√(2) = "}, {-std::sqrt(2.0), "−√(2) = "},
      {2 * std::sqrt(2.0), "√(2)×2 = "}, {std::sqrt(3.0), "√(3) = "},
      {-std::sqrt(3.0), "−√(3) = "}, {std::sqrt(3.0) / 2, "√(3)⁄2 = "},
      {std::sqrt(3.0) * 5 / 7, "√(3)×5⁄7 = "},
      {4, ""}, {10001.0 / 3.0, ""}, {std::exp(1.0), ""},
      // No multiple with a zero, huge or infinite multiplier.
      {0, ""}, {-0.0, ""}, {1e-15, ""}, {-1e17, ""}, {1e17, ""}, {-kInf, ""}, {kInf, ""},
      {kNaN, ""}, {kPi * 10001, ""},
      // A form that reads as the expression typed is left out.
      {1.0 / 3.0, "", u"1⁄3"}, {1.0 / 3.0, "1⁄3 = ", u"1÷3"}, {kPi, "", u"π"}, {0.1, "", u"1÷10"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExactForm(c.answer, c.expression), c.form) << c.answer;
}

TEST_F(AnswerFormat, RewritesFollowTheLanguageTexts) {
  // Rewrite A puts text 192 in front and replaces 193+194 by 195.
  textTable[192] = u"[-]";
  textTable[195] = u"*";
  EXPECT_EQ(ExactForm(-kPi * 2 / 3), "[-]π*2⁄3 = ");
  // Rewrite B with a pattern that is never there changes nothing.
  textTable[197] = u"?";
  EXPECT_EQ(ExactForm(kPi / 3), "π×1⁄3 = ");
  // With texts 196 and 197 both empty rewrite B would delete every digit 1.
  textTable[196] = textTable[197] = u"";
  textTable[198] = u"!";
  EXPECT_EQ(ExactForm(1.0 / 31.0), "1⁄31 = ");
  // A table without texts still gives the digits; nothing is searched for an empty pattern.
  ResetTextTable();
  EXPECT_EQ(ExactForm(1.0 / 3.0), "13  ");
  EXPECT_EQ(ExactForm(-kPi / 3), "13  ");
}

TEST_F(AnswerFormat, AnswerLinesShowGlyphsAndErrorTexts) {
  struct Case { HistoryEntry entry; const char* line; } cases[] = {
      {{u"3÷4", 0.75, u"3⁄4 = ", 0}, "3⁄4 = 0.75"},
      {{u"", -0.75, u"−3⁄4 = ", 0}, "−3⁄4 = −0.75"},
      {{u"", 1.5e20, u"", 0}, "1.5×10↑20"},
      {{u"", 1e-10, u"", 0}, "1×10↑−10"},
      {{u"", 2, u"", 7}, "2"},  // an unknown kind is shown as an answer
      {{u"", 2, u"", 1}, "Opérande manquant"},
      {{u"", 2, u"x", 2}, "Division par zéro"},
      {{u"", 0, u"", 5}, "Hors−domaine"},  // error texts take the glyphs too
      // A form read back from the settings file without its last blank, or without its word.
      {{u"22÷7", 22.0 / 7, u"22⁄7 =", 0}, "22⁄7 = 3.142857142857"},
      {{u"22÷7", 22.0 / 7, u"22⁄7", 0}, "22⁄7 = 3.142857142857"},
      {{u"22÷7", 22.0 / 7, u"22⁄7 =   ", 0}, "22⁄7 = 3.142857142857"},
      {{u"", 0.5, u"   ", 0}, "0.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(Narrow(ComposeAnswerLine(c.entry)), c.line) << c.line;
  textTable[177] = u"/";  // replaced in order: a "-" shown as "/" then becomes text 178
  EXPECT_EQ(Narrow(ComposeAnswerLine({u"", -1, u"", 0})), "÷1");
}

}  // namespace
