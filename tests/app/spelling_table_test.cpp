#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/spelling_table.h"
#include "platform/unicode.h"
#include "settings/text_table.h"

namespace {

// A text table in which text n reads "<n>", so every row shows which texts it is made of.
void NumberedTexts() {
  textTable.assign(202, u"");
  for (int n = 1; n <= 201; ++n) {
    std::string text = std::to_string(n);
    textTable[n] = Utf8ToUtf16(text.insert(0, 1, '<').append(1, '>'));
  }
}

class SpellingTableTest : public ::testing::Test {
 protected:
  SpellingTableTest() { ResetSpellingTable(); }
  ~SpellingTableTest() override {
    ResetSpellingTable();
    ResetTextTable();
  }
};

TEST(SpellingSortKey, LongestFirstThenByText) {
  struct Case { std::u16string typed; std::u16string key; } cases[] = {
      {u"", u"100"},  // 1000 keeps its first three digits
      {u"(", u"999("},
      {u"sin(", u"996sin("},
      {u"asinh(", u"994asinh("},
      {std::u16string(10, u'x'), u"990" + std::u16string(10, u'x')},
      {std::u16string(999, u'x'), u"001" + std::u16string(999, u'x')},
      {std::u16string(1000, u'x'), u"000" + std::u16string(1000, u'x')},
      {std::u16string(1500, u'x'), u"000" + std::u16string(1500, u'x')},
      {u"√(", u"998√("},  // lengths count UTF-16 units
  };
  for (const auto& c : cases) EXPECT_EQ(SpellingSortKey(c.typed), c.key) << c.typed.size();
}

TEST_F(SpellingTableTest, AddSpellingAppendsWithItsKey) {
  AddSpelling(u"sin(", u"", u"sin(");
  AddSpelling(u"^2", u"²", u"^2");
  ASSERT_EQ(spellingTable.size(), 2u);
  EXPECT_EQ(spellingTable[1].typed, u"^2");
  EXPECT_EQ(spellingTable[1].shown, u"²");
  EXPECT_EQ(spellingTable[1].canonical, u"^2");
  EXPECT_EQ(spellingTable[1].sortKey, u"998^2");
  EXPECT_EQ(spellingTableOrder, -1);
}

TEST_F(SpellingTableTest, SeventyThreeRowsEndingWithTheMemoryLetters) {
  NumberedTexts();
  FillSpellingTable();
  ASSERT_EQ(spellingTable.size(), 73u);
  EXPECT_EQ(spellingTable[47].typed, u"<132>");  // the answer word, resolved by the calculation
  EXPECT_EQ(spellingTable[47].canonical, u"");
  std::u16string letters;
  for (size_t i = 48; i < spellingTable.size(); ++i) {
    EXPECT_EQ(spellingTable[i].shown, u"");
    EXPECT_EQ(spellingTable[i].canonical, u"");
    letters += spellingTable[i].typed;
  }
  EXPECT_EQ(letters, u"abcdfghijklmnopqrstuvwxyz");  // no "e": that is the constant
}

TEST_F(SpellingTableTest, EmptyTextsGiveShortSpellings) {
  NumberedTexts();
  textTable[9] = u"";
  textTable[29] = u"";
  FillSpellingTable();
  EXPECT_EQ(spellingTable[15].typed, u"(");
  EXPECT_EQ(spellingTable[15].sortKey, u"999(");
  EXPECT_EQ(spellingTable[14].typed, u"");
  EXPECT_EQ(spellingTable[14].sortKey, u"100");

  ResetSpellingTable();
  ResetTextTable();  // no language at all: every text is empty
  FillSpellingTable();
  EXPECT_EQ(spellingTable.size(), 73u);
  EXPECT_EQ(spellingTable[9].typed, u"2");  // why the language files must give texts 76 and 80
}

TEST_F(SpellingTableTest, SortingByKeyPutsLongerSpellingsFirst) {
  NumberedTexts();
  textTable[10] = u"sin";     // "sin(": 4 units
  textTable[18] = u"asinh";   // "asinh(": 6 units
  textTable[13] = u"asin";    // "asin(": 5 units
  textTable[12] = u"acos";    // "acos(": 5 units
  FillSpellingTable();
  std::stable_sort(spellingTable.begin(), spellingTable.end(),
                   [](const SpellingEntry& a, const SpellingEntry& b) { return a.sortKey < b.sortKey; });
  auto position = [](std::u16string_view typed) {
    return std::find_if(spellingTable.begin(), spellingTable.end(),
                        [&](const SpellingEntry& e) { return e.typed == typed; }) - spellingTable.begin();
  };
  EXPECT_LT(position(u"asinh("), position(u"acos("));
  EXPECT_LT(position(u"acos("), position(u"asin("));
  EXPECT_LT(position(u"asin("), position(u"sin("));
  EXPECT_LT(position(u"sin("), position(u"10^"));
  EXPECT_LT(position(u"<="), position(u"a"));
}

}  // namespace
