// SPDX-License-Identifier: GPL-3.0-or-later
// Checks of the language files the program ships: that each one loads, defines every text the
// program uses by itself (with a text that is not empty: see FileForm), and keeps the rules that
// let another translator edit it safely.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "../support/shipped_languages.h"
#include "platform/unicode.h"

namespace {

// Texts the program uses: 1 to kLastText, but for 116 to 123, 127 to 129 and 239.
bool IsUsedText(int n) {
  return n >= 1 && n <= kLastText && !(n >= 116 && n <= 123) && !(n >= 127 && n <= 129) && n != 239;
}

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

TEST(ShippedLanguages, FrenchAndAtLeastTwelveTranslations) {
  std::vector<std::string> names = ShippedLanguages();
  EXPECT_GE(names.size(), 13u);
  EXPECT_TRUE(std::count(names.begin(), names.end(), "Francais"));
  EXPECT_TRUE(std::count(names.begin(), names.end(), "English"));
}

TEST(ShippedLanguages, EachDefinesEveryUsedTextByItself) {
  for (const std::string& name : ShippedLanguages()) {
    ASSERT_TRUE(LoadShippedLanguage(name)) << name;
    ASSERT_EQ(textTable.size(), size_t(kLastText) + 1) << name;
    TextTable overFrench = textTable;

    // The same file as the base, with no French under it, must give the same texts.
    std::string bytes = FileContent(ShippedLanguageFile(name));
    std::string alone = "\xEF\xBB\xBF" + std::to_string(kLastText) + "\r\n" + bytes.substr(bytes.find("\r\n") + 2);
    TempWorkingFolder folder;
    PutFile("Lng-Tornavelle/Francais.Txt", alone);
    PutFile("Langue.lng", "Defaut=Francais");
    ResetTextTable();
    ASSERT_TRUE(LoadLanguage());
    EXPECT_EQ(textTable, overFrench) << name << " leans on French texts";
  }
}

TEST(ShippedLanguages, FileForm) {
  for (const std::string& name : ShippedLanguages()) {
    SCOPED_TRACE(name);
    std::string bytes = FileContent(ShippedLanguageFile(name));
    ASSERT_TRUE(bytes.starts_with("\xEF\xBB\xBF"));
    std::string text = bytes.substr(3);
    EXPECT_TRUE(text.ends_with("\r\n"));
    std::vector<std::string> lines = CrLfLines(text);
    for (const std::string& line : lines)
      EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "a line end other than CR LF: " << line;
    ASSERT_FALSE(lines.empty());
    if (name == "Francais")
      EXPECT_EQ(lines[0], std::to_string(kLastText));
    else
      EXPECT_TRUE(lines[0].starts_with("[")) << "the first line holds the mark: it must not be an entry";

    std::set<int> defined;
    bool entriesBegun = false;
    for (size_t i = 1; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      size_t equals = line.find('=');
      if (line.empty() || line[0] == '[' || equals == std::string::npos) {
        EXPECT_FALSE(entriesBegun) << "a comment among the entries: " << line;
        continue;
      }
      entriesBegun = true;
      int index = ReadTextNumber(Utf8ToUtf16(line.substr(0, equals)));
      std::string value = line.substr(equals + 1);
      EXPECT_EQ(line.substr(0, equals), std::to_string(index)) << "a plain index: " << line;
      EXPECT_TRUE(IsUsedText(index)) << "an unused text: " << line;
      EXPECT_FALSE(value.empty()) << line;
      EXPECT_EQ(value.find('$'), std::string::npos) << line;
      if (value.starts_with('#')) {
        int reference = ReadTextNumber(Utf8ToUtf16(value.substr(1)));
        EXPECT_TRUE(defined.count(reference)) << "refers to a later text: " << line;
      }
      EXPECT_TRUE(defined.insert(index).second) << "defined twice: " << line;
    }
    for (int n = 1; n <= kLastText; ++n)
      if (IsUsedText(n)) {
        EXPECT_TRUE(defined.count(n)) << "text " << n << " is missing";
      }
  }
}

TEST(ShippedLanguages, ErrorMessagesHoldNoOperatorTheAnswerLineRewrites) {
  for (const std::string& name : ShippedLanguages()) {
    ASSERT_TRUE(LoadShippedLanguage(name));
    for (int n = 171; n <= 175; ++n)
      EXPECT_EQ(TextOf(n).find_first_of(u"-/*^"), std::u16string::npos) << name << " text " << n;
  }
}

}  // namespace
