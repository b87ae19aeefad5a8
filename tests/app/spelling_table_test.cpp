// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>

#include "app/spelling_table.h"
#include "platform/unicode.h"
#include "settings/text_table.h"

namespace {

// A text table in which text n reads "<n>", so every row shows which texts it is made of.
void NumberedTexts() {
  textTable.assign(kLastText + 1, u"");
  for (int n = 1; n <= kLastText; ++n) textTable[n] = Utf8ToUtf16("<" + std::to_string(n) + ">");
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
  const SpellingEntry& e = spellingTable[1];
  EXPECT_EQ(e.typed + u"|" + e.shown + u"|" + e.canonical + u"|" + e.sortKey, u"^2|²|^2|998^2");
  EXPECT_EQ(spellingTableOrder, -1);
}

TEST_F(SpellingTableTest, TheRowsThenTheMemoryLettersThenTheStoreArrow) {
  NumberedTexts();
  FillSpellingTable();
  ASSERT_EQ(spellingTable.size(), 75u);
  EXPECT_EQ(spellingTable[47].typed, u"<132>");  // the answer word, resolved by the calculation
  EXPECT_EQ(spellingTable[47].canonical, u"");
  std::u16string letters;
  for (size_t i = 48; i < 73; ++i) {
    EXPECT_EQ(spellingTable[i].shown, u"");
    EXPECT_EQ(spellingTable[i].canonical, u"");
    letters += spellingTable[i].typed;
  }
  EXPECT_EQ(letters, u"abcdfghijklmnopqrstuvwxyz");  // no "e": that is the constant
  for (size_t i : {73u, 74u}) {
    EXPECT_EQ(spellingTable[i].shown, u"<202>");
    EXPECT_EQ(spellingTable[i].canonical, u"");  // the calculation command finds the arrow itself
  }
  EXPECT_EQ(spellingTable[73].typed + spellingTable[74].typed, u"-><2>>");  // also after "-" became "−"
}

TEST_F(SpellingTableTest, EmptyTextsGiveShortSpellings) {
  NumberedTexts();
  textTable[9] = u"";
  textTable[29] = u"";
  FillSpellingTable();
  EXPECT_EQ(spellingTable[15].typed, u"(");
  EXPECT_EQ(spellingTable[14].typed, u"");

  ResetSpellingTable();
  ResetTextTable();  // no language at all: every text is empty
  FillSpellingTable();
  EXPECT_EQ(spellingTable.size(), 75u);
  EXPECT_EQ(spellingTable[9].typed, u"2");  // why the language files must give texts 76 and 80
}

}  // namespace
