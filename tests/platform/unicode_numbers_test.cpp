// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cwctype>
#include <limits>
#include <string>
#ifdef __linux__
#include <locale.h>
#endif

#include "platform/numbers.h"
#include "platform/unicode.h"

namespace {

TEST(LowerCase, MapsOneUnitToOneUnit) {
  struct Case { char16_t in, out; } cases[] = {
      {u'A', u'a'}, {u'Z', u'z'}, {u'a', u'a'}, {u'5', u'5'}, {u'(', u'('},
      {u'\u00C9', u'\u00E9'},  // É
      {u'\u03A0', u'\u03C0'},  // Π to π
      {u'\u0130', u'i'},       // İ has a one-unit simple lower case
      {u'\u221A', u'\u221A'},  // √ has none
      {u'\xD83D', u'\xD83D'},  // a lone surrogate is left alone
      // Alternating capitals and small letters, and the units just beside the runs.
      {u'\u0100', u'\u0101'}, {u'\u0101', u'\u0101'}, {u'\u012E', u'\u012F'},
      {u'\u01C4', u'\u01C6'}, {u'\u01C5', u'\u01C6'},  // Ǆ and ǅ both to ǆ
      {u'\u00D7', u'\u00D7'}, {u'\u00DF', u'\u00DF'}, {u'\u00DE', u'\u00FE'},
      {u'[', u'['}, {u'@', u'@'},
      {u'\u0410', u'\u0430'},  // Cyrillic А
      {u'\u2160', u'\u2170'},  // Roman numeral one
      {u'\u2126', u'\u03C9'},  // the ohm sign to ω
      {u'\u212A', u'k'},        // the kelvin sign to an ASCII k
      {u'\u10A0', u'\u2D00'},  // Georgian
      {u'\uFF21', u'\uFF41'},  // full-width A
      {u'\uFFFF', u'\uFFFF'},
  };
  for (const auto& c : cases) EXPECT_EQ(LowerCaseUnit(c.in), c.out) << int(c.in);
  EXPECT_EQ(LowerCaseText(u"SiN(30)"), u"sin(30)");
}

TEST(LowerCase, IgnoresTheProcessLocale) {
  // A Turkish locale lower-cases I to dotless ı; ours never does.
  const char* previous = setlocale(LC_ALL, "tr_TR.UTF-8");
  EXPECT_EQ(LowerCaseUnit(u'I'), u'i');
  if (previous) setlocale(LC_ALL, "C");
}

#ifdef __linux__
// The program's own table gives what the C library of this system gives in its UTF-8 C locale,
// unit for unit, so Linux builds lower-case as they always did and Windows builds alike.
TEST(LowerCase, AgreesWithTheCLibraryOnEveryUnit) {
  locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  ASSERT_NE(utf8, static_cast<locale_t>(nullptr));
  int differing = 0;
  for (char32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    wint_t lower = towlower_l(wint_t(c), utf8);
    if (lower > 0xFFFF || (lower >= 0xD800 && lower <= 0xDFFF)) lower = wint_t(c);
    if (LowerCaseUnit(char16_t(c)) != char16_t(lower) && ++differing < 10)
      ADD_FAILURE() << std::hex << "U+" << unsigned(c);
  }
  EXPECT_EQ(differing, 0);
  freelocale(utf8);
}
#endif

TEST(Utf8, RoundTripsAndReplacesMalformedBytes) {
  EXPECT_EQ(Utf8ToUtf16("\xCF\x80\xE2\x88\x9A\xF0\x9F\x98\x80"), u"π√\U0001F600");
  EXPECT_EQ(Utf16ToUtf8(u"π√\U0001F600"), "\xCF\x80\xE2\x88\x9A\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("a\xC0\xAF" "b"), u"a\uFFFD\uFFFDb");   // overlong
  EXPECT_EQ(Utf8ToUtf16("a\xED\xA0\x80"), u"a\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xE2\x88"), u"\uFFFD");                   // truncated
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
}

struct NumberCase {
  std::string_view text;
  double value;
  size_t consumed;
};

constexpr double kInf = HUGE_VAL;

// What strtod reads in the "C" locale, the same on every system.
constexpr NumberCase kNumberCases[] = {
    {"3.25", 3.25, 4},      {"  -2.5x", -2.5, 6},   {"\t7", 7, 2},
    {"1.5.3", 1.5, 3},      {"2(3", 2, 1},          {"", 0, 0},
    {"-", 0, 0},            {".", 0, 0},            {"3,14", 3, 1},  // never the decimal comma
    {"+1.5", 1.5, 4},       {".5", 0.5, 2},         {"5.", 5, 2},
    {"\v\f\r\n 2", 2, 6},   {"1_000", 1, 1},        {"--1", 0, 0},
    {"+-1", 0, 0},          {"- 1", 0, 0},          {"+", 0, 0},
    // Exponents: one without digits is not part of the number.
    {"1e", 1, 1},           {"1e+", 1, 1},          {"2E3", 2000, 3},
    {"1e-2x", 0.01, 4},
    // Hexadecimal, with and without a binary exponent.
    {"0x1p3", 8, 5},        {"-0x10", -16, 5},      {"0X.8", 0.5, 4},
    {"0x", 0, 1},           {"0xg", 0, 1},          {"0x.p1", 0, 1},
    {"0xinf", 0, 1},        {"0x1p", 1, 3},
    // Infinities and NaNs (the NaN's value is checked apart).
    {"inf", kInf, 3},       {"-Infinity", -kInf, 9}, {"infinit", kInf, 3},
    {"INFx", kInf, 3},
    // Out of range: to infinity past the largest double, to zero below the smallest.
    {"1e400", kInf, 5},     {"-1e400", -kInf, 6},   {"1e-400", 0, 6},
    {"0.0001e-320", 0, 11}, {"123456e-330", 0, 11},
    {"0x1p2000", kInf, 8},  {"0x1p-1080", 0, 9},    {"5e-324", 5e-324, 6},
    {"1.7976931348623157e308", 1.7976931348623157e308, 22},
    {"1.8e308", kInf, 7},   {"-2e-324", -0.0, 7},
};

TEST(Numbers, ReadLikeStrtodInTheCLocale) {
  for (const NumberCase& c : kNumberCases) {
    std::u16string wide(c.text.begin(), c.text.end());
    size_t consumed = 99, narrowConsumed = 99;
    double value = ReadLeadingDouble(wide, &consumed);
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.text;
    EXPECT_EQ(consumed, c.consumed) << c.text;
    EXPECT_EQ(ReadLeadingDouble(c.text, &narrowConsumed), value) << c.text;
    EXPECT_EQ(narrowConsumed, consumed) << c.text;
  }
  EXPECT_EQ(ReadLeadingDouble(u"5π"), 5);
  EXPECT_EQ(ReadLeadingDouble(u"1" + std::u16string(400, u'0')), HUGE_VAL);
  EXPECT_EQ(ReadLeadingDouble(u"0." + std::u16string(400, u'0') + u"1"), 0.0);
  size_t consumed = 0;
  EXPECT_TRUE(std::isnan(ReadLeadingDouble("nan(12)x", &consumed)));
  EXPECT_EQ(consumed, 7u);
  EXPECT_TRUE(std::isnan(ReadLeadingDouble("-NaN", &consumed)));
  EXPECT_EQ(consumed, 4u);
}

#ifdef __linux__
// The reader is the program's own on every system; on Linux it must agree with the C library.
TEST(Numbers, AgreeWithTheCLibrary) {
  locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  for (const NumberCase& n : kNumberCases) {
    std::string text(n.text);
    char* end = nullptr;
    double expected = strtod_l(text.c_str(), &end, c);
    size_t consumed = 0;
    double value = ReadLeadingDouble(text, &consumed);
    EXPECT_EQ(consumed, size_t(end - text.c_str())) << text;
    EXPECT_TRUE(value == expected || (std::isnan(value) && std::isnan(expected))) << text;
  }
  freelocale(c);
}
#endif

TEST(Numbers, ShortestTextReadsBack) {
  EXPECT_EQ(ShortestDoubleText(0.1), "0.1");
  EXPECT_EQ(ShortestDoubleText(1e16), "1e+16");
  EXPECT_EQ(ShortestDoubleText(-0.0), "-0");
  EXPECT_EQ(ShortestDoubleText(-HUGE_VAL), "-inf");
  EXPECT_EQ(ShortestDoubleText(-std::numeric_limits<double>::quiet_NaN()), "nan");
  for (double v : {5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, 1.0 / 3})
    EXPECT_EQ(ReadLeadingDouble(ShortestDoubleText(v)), v);
}

// Calculation texts take no exponent: every digit is written out, and no more than reads back.
TEST(Numbers, PlainDecimalTextHasNoExponentAndReadsBack) {
  EXPECT_EQ(Utf16ToUtf8(PlainDecimalText(1.6e-19)), "0.00000000000000000016");
  EXPECT_EQ(Utf16ToUtf8(PlainDecimalText(1e20)), "100000000000000000000");
  EXPECT_EQ(Utf16ToUtf8(PlainDecimalText(-2.5)), "-2.5");
  EXPECT_EQ(Utf16ToUtf8(PlainDecimalText(0.1 + 0.2)), "0.30000000000000004");
  EXPECT_EQ(Utf16ToUtf8(PlainDecimalText(HUGE_VAL)), "+Infinity");
  for (double v : {5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, -1.0 / 3, 1.2345e-13}) {
    const std::u16string text = PlainDecimalText(v);
    size_t consumed = 0;
    EXPECT_EQ(ReadLeadingDouble(text, &consumed), v);
    EXPECT_EQ(consumed, text.size());
    EXPECT_EQ(text.find_first_not_of(u"-0123456789."), std::u16string::npos);
  }
}

// Numbers for other programs: plain from 1e-6 up to below 1e21, an exponent outside, always
// the shortest text that reads back.
TEST(Numbers, InterchangeTextIsPlainInTheMiddleAndShortestEverywhere) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {7.257415615307994e306, "7.257415615307994e+306"},  // 170!
      {1.0 / 3 * 1e-20, "3.333333333333333e-21"},
      {1e-6, "0.000001"},
      {9.99e-7, "9.99e-7"},
      {-1e-7, "-1e-7"},
      {1e21, "1e+21"},
      {999999999999999900000.0, "999999999999999900000"},
      {-0.0, "0"},
      {5e-324, "5e-324"},
      {HUGE_VAL, "+Infinity"},
  };
  for (const Case& c : cases) {
    const std::u16string text = InterchangeNumberText(c.value);
    EXPECT_EQ(Utf16ToUtf8(text), c.text);
    if (std::isfinite(c.value)) {
      size_t consumed = 0;
      EXPECT_EQ(ReadLeadingDouble(text, &consumed), c.value) << c.text;
      EXPECT_EQ(consumed, text.size()) << c.text;
    }
  }
}

}  // namespace
