#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

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

TEST(Utf8, RoundTripsAndReplacesMalformedBytes) {
  EXPECT_EQ(Utf8ToUtf16("\xCF\x80\xE2\x88\x9A\xF0\x9F\x98\x80"), u"π√\U0001F600");
  EXPECT_EQ(Utf16ToUtf8(u"π√\U0001F600"), "\xCF\x80\xE2\x88\x9A\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8ToUtf16("a\xC0\xAF" "b"), u"a\uFFFD\uFFFDb");   // overlong
  EXPECT_EQ(Utf8ToUtf16("a\xED\xA0\x80"), u"a\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(Utf8ToUtf16("\xE2\x88"), u"\uFFFD");                   // truncated
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
}

TEST(Numbers, ReadLikeStrtodInTheCLocale) {
  struct Case { std::u16string_view text; double value; size_t consumed; } cases[] = {
      {u"3.25", 3.25, 4},      {u"  -2.5x", -2.5, 6}, {u"\t7", 7, 2},
      {u"1.5.3", 1.5, 3},      {u"2(3", 2, 1},        {u"", 0, 0},
      {u"-", 0, 0},            {u".", 0, 0},          {u"5π", 5, 1},
      {u"3,14", 3, 1},  // never the decimal comma
  };
  for (const auto& c : cases) {
    size_t consumed = 99;
    EXPECT_EQ(ReadLeadingDouble(c.text, &consumed), c.value);
    EXPECT_EQ(consumed, c.consumed);
  }
  EXPECT_EQ(ReadLeadingDouble(u"1" + std::u16string(400, u'0')), HUGE_VAL);
  EXPECT_EQ(ReadLeadingDouble(u"0." + std::u16string(400, u'0') + u"1"), 0.0);
}

TEST(Numbers, ShortestTextReadsBack) {
  EXPECT_EQ(ShortestDoubleText(0.1), "0.1");
  EXPECT_EQ(ShortestDoubleText(1e16), "1e+16");
  EXPECT_EQ(ShortestDoubleText(-0.0), "-0");
  EXPECT_EQ(ShortestDoubleText(-HUGE_VAL), "-inf");
  EXPECT_EQ(ShortestDoubleText(-std::numeric_limits<double>::quiet_NaN()), "nan");
  for (double v : {5e-324, 2.2250738585072014e-308, 1.7976931348623157e308, 1.0 / 3})
    EXPECT_EQ(ReadLeadingDouble(ShortestDoubleText(v)), v);
}

}  // namespace
