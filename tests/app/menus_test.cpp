// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/event_loop.h"
#include "app/menus.h"
#include "engine/calculation_text.h"
#include "../support/calculator_parts.h"
#include "../support/shipped_languages.h"
#include "engine/spelling.h"

namespace {

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenCalculatorParts());
    // The focus the window took as it was shown: the menus' commands come next.
    while (PollEvent().code != kEventNone) {
    }
    BuildMenus();
  }
  void TearDown() override { ResetApp(); }
};

// A menu as one line per item: submenus as "[title]" followed by their items, separators as "-".
void Describe(const std::vector<OffscreenMenuItem>& items, std::vector<std::string>& lines, const std::string& indent = "") {
  for (const OffscreenMenuItem& item : items) {
    switch (item.kind) {
      case OffscreenMenuItem::Kind::kSeparator: lines.push_back(indent + "-"); break;
      case OffscreenMenuItem::Kind::kEntry:
        lines.push_back(indent + std::to_string(item.command) + " " + Utf16ToUtf8(item.text));
        break;
      case OffscreenMenuItem::Kind::kSubmenu:
        lines.push_back(indent + "[" + Utf16ToUtf8(item.text) + "]");
        Describe(item.children, lines, indent + "  ");
        break;
    }
  }
}

std::vector<std::string> MenuLines(int32_t menu) {
  std::vector<std::string> lines;
  Describe(OffscreenMenu(menu).value_or(std::vector<OffscreenMenuItem>{}), lines);
  return lines;
}

TEST_F(MenusTest, TheMenusAreBuiltFromTheFrenchTexts) {
  std::vector<std::string> function = MenuLines(kFunctionMenu);
  const std::vector<std::string> start = {
      "[Opérations]", "  1 Addition\t     +", "  2 Soustraction\t     -",
      "  3 Multiplication\t     *", "  4 Division\t     /", "  5 Puissance\t     ^",
      "[Puissances, racines et logarithmes]", "  6 Puissance de dix\t     10^",
      "  7 Carré\t     ^2", "  8 Cube\t     ^3", "  9 Inverse\t     ^-1", "  -",
      "  10 √(\t     racine(", "  11 ∛(\t     racine3(", "  12 ⁿ√(k,n)\t     racinen(", "  -",
      "  13 eˣ\t     e^", "  14 ln(", "  15 log(", "  -", "  16 Pourcentage\t     %",
      "[Trigonométrie]", "  17 π\t     pi", "  -", "  18 sin(", "  19 cos(", "  20 tan(",
      "  21 arcsin(", "  22 arccos(", "  23 arctan(", "  -", "  24 sinh(", "  25 cosh(",
      "  26 tanh(", "  27 argsinh(", "  28 argcosh(", "  29 argtanh(",
      "[Dénombrement]", "  32 Factorielle\t     !", "  -", "  33 Arrangements\t     arr(k,n)",
      "  34 Combinaisons\t     comb(k,n)",
      "[Comparaisons]", "  35 Égal à\t     =", "  36 Supérieur à\t     >", "  37 Inférieur à\t     <",
      "  38 Supérieur ou égal à\t     >=", "  39 Inférieur ou égal à\t     <=", "  40 Différent de\t     <>",
      "[Mémoires]", "  42 a\t     0", "  43 b\t     0", "  44 c\t     0", "  45 d\t     0", "  47 f\t     0"};
  ASSERT_GE(function.size(), start.size());
  EXPECT_EQ(std::vector<std::string>(function.begin(), function.begin() + long(start.size())), start);
  // g to z, then the clearing and the letters that store the latest answer.
  ASSERT_EQ(function.size(), start.size() + 20 + 3 + 25);
  EXPECT_EQ(function[start.size() + 19], "  67 z\t     0");
  EXPECT_EQ(std::vector<std::string>(function.begin() + long(start.size()) + 20, function.begin() + long(start.size()) + 24),
            (std::vector<std::string>{"  -", "  102 Effacer les mémoires", "[Ranger la réponse dans]", "  76 a\t     0"}));
  EXPECT_EQ(function.back(), "  101 z\t     0");

  // No Apparence folder here: no skin to list.
  EXPECT_EQ(MenuLines(kSkinMenu), (std::vector<std::string>{"[Apparence]", "[?]", "  103 À propos de Tornavelle",
                                                            "  104 Toujours visible"}));
  EXPECT_EQ(MenuLines(kEditMenu),
            (std::vector<std::string>{"73 Copier", "74 Couper", "75 Coller", "-", "72 Tout effacer"}));
}

TEST_F(MenusTest, AHintIsShownOnlyWhenItSaysSomethingElse) {
  textTable[109] = TextOf(kPiEntry);  // the entry for π would hint π
  textTable[57] = u"";           // the power of ten entry would hint "10^" after an empty text
  ReleaseMenus();
  BuildMenus();
  std::vector<std::string> lines = MenuLines(kFunctionMenu);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  17 π"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "  6 \t     10^"), lines.end());
}

// What an entry makes you type is its hint, in the column after the tab, so that hints line
// up in every submenu: never a function's name written into the entry's own text.
TEST(MenuHints, StandInTheirOwnColumnInEveryLanguage) {
  for (const std::string& language : ShippedLanguages()) {
    SCOPED_TRACE(language);
    ASSERT_TRUE(OpenCalculatorParts(Utf8ToUtf16(language).c_str()));
    BuildMenus();
    std::vector<std::u16string> functionNames;
    for (const SpellingEntry& entry : spellingTable)
      if (entry.typed.size() > 1 && entry.typed.back() == u'(') functionNames.push_back(entry.typed);
    int32_t hinted = 0;
    const std::vector<OffscreenMenuItem> menu = OffscreenMenu(kFunctionMenu).value();
    for (const OffscreenMenuItem& submenu : menu) {
      for (const OffscreenMenuItem& item : submenu.children) {
        const std::u16string first = item.text.substr(0, item.text.find(u'\t'));
        hinted += first.size() < item.text.size();
        for (const std::u16string& name : functionNames)
          EXPECT_EQ(first.find(u" " + name), std::u16string::npos) << Utf16ToUtf8(item.text);
      }
    }
    EXPECT_EQ(hinted, 24 + 2 * 25);  // and the memory letters, twice, with their values
    ResetApp();
  }
}

TEST_F(MenusTest, EveryCommandThroughTheMenu) {
  struct Case {
    int32_t menu, command;
    std::u16string text;  // the line afterwards, from an empty line
  } cases[] = {
      {0, 1, u"rép+"}, {0, 2, u"−"}, {0, 3, u"rép×"}, {0, 4, u"rép÷"}, {0, 5, u"rép^"},
      {0, 6, u"10^"}, {0, 7, u"rép²"}, {0, 8, u"rép³"}, {0, 9, u"rép⁻¹"},
      {0, 10, u"√("}, {0, 11, u"∛("}, {0, 12, u"ⁿ√("}, {0, 13, u"e^"}, {0, 14, u"ln("},
      {0, 15, u"log("}, {0, 16, u"rép%"}, {0, 17, u"π"}, {0, 18, u"sin("}, {0, 19, u"cos("},
      {0, 20, u"tan("}, {0, 21, u"arcsin("}, {0, 22, u"arccos("}, {0, 23, u"arctan("},
      {0, 24, u"sinh("}, {0, 25, u"cosh("}, {0, 26, u"tanh("}, {0, 27, u"argsinh("},
      {0, 28, u"argcosh("}, {0, 29, u"argtanh("}, {0, 32, u"rép!"}, {0, 33, u"arr("},
      {0, 34, u"comb("}, {0, 35, u"rép="}, {0, 36, u"rép>"}, {0, 37, u"rép<"}, {0, 38, u"rép≥"},
      {0, 39, u"rép≤"}, {0, 40, u"rép≠"}, {0, 42, u"a"}, {0, 47, u"f"}, {0, 67, u"z"},
      {71, 72, u""}, {71, 75, u"1+1"},  // clear, then paste of the clipboard below
  };
  for (const Case& c : cases) {
    expressionLine = {};
    SetOffscreenClipboard(u"1+1");
    ScriptMenuChoice(c.command);
    ShowMenu(c.menu);
    int32_t code = WaitSkinEvent();
    ASSERT_EQ(code, kEventMenuCommand) << c.command;
    HandleWindowEvent(code);
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(c.text)) << c.command;
  }
  // Numbers no entry has do nothing, the unused "e" among them.
  for (int32_t number : {30, 31, 41, 46, 68, 80, 103}) {
    expressionLine = {};
    HandleMenuCommand(number);
    EXPECT_EQ(expressionLine.text, u"") << number;
  }
  // Copy and cut through the edit menu.
  expressionLine.text = u"2×3";
  expressionLine.caret = 3;
  expressionLine.anchor = 0;
  ScriptMenuChoice(74);
  ShowMenu(kEditMenu);
  HandleWindowEvent(WaitSkinEvent());
  EXPECT_EQ(OffscreenClipboard(), u"2×3");
  EXPECT_EQ(expressionLine.text, u"");
}

// The store submenu puts the newest answer without error in a letter, the clearing entry empties
// them all, and the letters' hints follow their values.
TEST_F(MenusTest, StoringAndClearingTheMemories) {
  auto choose = [](int32_t command) {
    ScriptMenuChoice(command);
    ShowMenu(kFunctionMenu);
    HandleWindowEvent(WaitSkinEvent());
  };
  auto hintOf = [](const std::string& entry) {
    std::vector<std::string> lines = MenuLines(kFunctionMenu);
    return std::count(lines.begin(), lines.end(), entry);
  };
  choose(77);  // b, with no calculation yet: nothing to store
  EXPECT_EQ(memories[2], 0);
  historyList.entries = {{u"1÷0", HUGE_VAL, u"", 2}, {u"2,5×3", 7.5, u"", 0}, {u"", 0, u"", 0}};
  choose(77);
  EXPECT_EQ(memories[2], 7.5);  // the failed calculation is passed over
  ShowMenu(kFunctionMenu);      // shown again, the hints show the value
  EXPECT_EQ(hintOf("  43 b\t     7.5"), 1);
  EXPECT_EQ(hintOf("  77 b\t     7.5"), 1);
  choose(102);
  EXPECT_EQ(memories[2], 0);
  ShowMenu(kFunctionMenu);
  EXPECT_EQ(hintOf("  43 b\t     0"), 1);
}

}  // namespace
