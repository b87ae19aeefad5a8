// SPDX-License-Identifier: GPL-3.0-or-later
// The spelling table built from each shipped language: the rules that make typing work as a
// user expects, whatever the language.
#include <gtest/gtest.h>

#include <algorithm>

#include "../support/shipped_languages.h"
#include "app/spelling_table.h"
#include "platform/unicode.h"

namespace {

constexpr size_t kAnswerRow = 47;  // row 48, 0-based; the letter rows follow it

class ShippedSpellingsTest : public ::testing::Test {
 protected:
  ~ShippedSpellingsTest() override {
    ResetSpellingTable();
    ResetTextTable();
  }
  // Loads the language and fills the table from it.
  void Build(const std::string& name) {
    ResetSpellingTable();
    ASSERT_TRUE(LoadShippedLanguage(name)) << name;
    FillSpellingTable();
    ASSERT_EQ(spellingTable.size(), 75u);
  }
};

int CharClass(char16_t c) {
  if ((c >= u'0' && c <= u'9') || c == u'.') return 1;
  if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z')) return 2;
  if (c == u'(' || c == u')') return 3;
  return 0;
}

// Every typed spelling of the table replaced by its display form, longest first, with the word
// boundaries of the expression line, as the calculation's final pass does it.
std::u16string ApplyAllSpellings(std::u16string text) {
  SpellingTable sorted = spellingTable;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const SpellingEntry& a, const SpellingEntry& b) { return a.sortKey < b.sortKey; });
  for (const SpellingEntry& entry : sorted) {
    if (entry.typed.empty()) continue;
    int first = CharClass(entry.typed.front()), last = CharClass(entry.typed.back());
    std::u16string typed = LowerCaseText(entry.typed);
    for (size_t from = 0;;) {
      size_t s = LowerCaseText(text).find(typed, from);
      if (s == std::u16string::npos) break;
      size_t e = s + typed.size();
      int before = s == 0 ? -1 : CharClass(text[s - 1]);
      int after = e == text.size() ? -1 : CharClass(text[e]);
      bool endHolds = after == -1 || last == 3 || after == 0 || last == 0 ||
                      (last == 1 && after != 1) || (last == 2 && after != 2);
      bool startHolds = before == -1 || before == 3 || before == 0 || first == 0 ||
                        (first == 1 && before != 1) || (first == 2 && before != 2);
      if (!endHolds || !startHolds) {
        from = s + 1;
        continue;
      }
      const std::u16string& replacement = entry.shown.empty() ? entry.typed : entry.shown;
      text.replace(s, e - s, replacement);
      from = s + replacement.size();
    }
  }
  return text;
}

TEST_F(ShippedSpellingsTest, TheFrenchRows) {
  Build("Francais");
  struct Row { size_t row; std::u16string typed, shown; } rows[] = {
      {1, u"-", u"−"},         {3, u"*", u"×"},             {10, u"^2", u"²"},       {14, u"^−1", u"⁻¹"},
      {15, u"pi", u"π"},       {19, u"arccos(", u""},       {25, u"argcosh(", u""},  {26, u"argsinh(", u""},
      {28, u"rad(", u""},      {29, u"deg(", u""},          {30, u"racine(", u"√("}, {32, u"racinen(", u"ⁿ√("},
      {36, u"abs(", u""},      {38, u"arrondi(", u""},      {40, u"arr(", u""},      {41, u"comb(", u""},
      {46, u"<=", u"≤"},       {48, u"rep", u"rép"},
  };
  for (const auto& r : rows) {
    const SpellingEntry& entry = spellingTable[r.row - 1];
    EXPECT_EQ(entry.typed + u"|" + entry.shown, r.typed + u"|" + r.shown) << "row " << r.row;
  }
}

TEST_F(ShippedSpellingsTest, PlainInputIsNeverASpelling) {
  for (const std::string& name : ShippedLanguages()) {
    Build(name);
    for (size_t i = 0; i <= kAnswerRow; ++i) {
      const std::u16string& typed = spellingTable[i].typed;
      bool plain = std::all_of(typed.begin(), typed.end(),
                               [](char16_t c) { return CharClass(c) == 1 || c == u'('; });
      EXPECT_FALSE(plain) << name << " row " << i + 1 << " typed \"" << Utf16ToUtf8(typed) << "\"";
    }
  }
}

TEST_F(ShippedSpellingsTest, TypedNamesCanBeTypedAndEqualSpellingsMeanTheSame) {
  const int typedNames[] = {9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 26,
                            28, 29, 31, 33, 34, 35, 36, 51, 54, 55, 132};
  for (const std::string& name : ShippedLanguages()) {
    Build(name);
    for (int n : typedNames) {
      const std::u16string& text = TextOf(n);
      bool typeable = !text.empty() && text[0] >= u'a' && text[0] <= u'z' &&
                      std::all_of(text.begin(), text.end(), [](char16_t c) {
                        return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
                      });
      EXPECT_TRUE(typeable) << name << " text " << n << " \"" << Utf16ToUtf8(text) << "\"";
    }
    for (size_t i = 0; i < spellingTable.size(); ++i)
      for (size_t j = i + 1; j < spellingTable.size(); ++j) {
        const SpellingEntry &a = spellingTable[i], &b = spellingTable[j];
        if (LowerCaseText(a.typed) != LowerCaseText(b.typed)) continue;
        EXPECT_EQ(a.shown, b.shown) << name << " rows " << i + 1 << " and " << j + 1;
        EXPECT_EQ(a.canonical, b.canonical) << name << " rows " << i + 1 << " and " << j + 1;
      }
  }
}

TEST_F(ShippedSpellingsTest, TheAnswerWordIsRecognisedAndReplaced) {
  for (const std::string& name : ShippedLanguages()) {
    Build(name);
    const SpellingEntry& answer = spellingTable[kAnswerRow];
    EXPECT_EQ(TextOf(kAnswerWord), answer.typed) << name << ": the inserted word must be the typed one";
    EXPECT_EQ(TextOf(kTabInsert), answer.typed) << name << ": so must the word of the Tab key";
    EXPECT_EQ(answer.shown, TextOf(kComparedAnswerWord)) << name << ": the shown word must be the one compared";
    EXPECT_EQ(ApplyAllSpellings(TextOf(kAnswerWord) + u"+1"), answer.shown + TextOf(kPlusGlyph) + u"1") << name;
  }
}

TEST_F(ShippedSpellingsTest, NoReplacementMangles) {
  for (const std::string& name : ShippedLanguages()) {
    Build(name);
    // Every glyph that differs from its typed spelling, and every name shown as typed, must
    // come out of the replacement unchanged wherever it stands. Operators shown as typed ("^",
    // "10^") are left out: next to a digit they rightly form another spelling ("^2").
    std::vector<std::u16string> finished;
    for (const SpellingEntry& entry : spellingTable) {
      if (!entry.shown.empty() && entry.shown != entry.typed) finished.push_back(entry.shown);
      if (entry.shown.empty() && entry.typed.size() > 1) finished.push_back(entry.typed);
    }
    for (const std::u16string& text : finished)
      for (std::u16string_view around : {u"|", u"2|", u"|2", u"(|)", u"a|", u"|a", u"2|3"}) {
        std::u16string placed(around);
        placed.replace(placed.find(u'|'), 1, text);
        EXPECT_EQ(ApplyAllSpellings(placed), placed) << name << ": \"" << Utf16ToUtf8(placed) << "\"";
      }
  }
}

}  // namespace
