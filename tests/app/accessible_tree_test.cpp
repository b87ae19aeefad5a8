// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a screen reader finds it, on the offscreen backend: the parts, their names,
// roles, states and bounds in every shipped language; presses that do what clicks do; typing
// echoed as changes of the line; and the answer spoken after a calculation.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "../support/calculator_parts.h"
#include "../support/shipped_languages.h"
#include "../support/temp_folder.h"
#include "app/accessible_tree.h"
#include "app/items.h"
#include "engine/evaluator.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

// Glyphs a speech synthesiser says badly or not at all: no key may be named by one (π is a
// letter of Greek words, so only a lone π counts).
constexpr std::u16string_view kUnspokenGlyphs = u"+−-×÷=.()⁄√²³*/^";

const AccessibleNode* Part(const std::vector<AccessibleNode>& nodes, int32_t id) {
  return FindAccessibleNode(nodes, id);
}

TEST(AccessibleTree, EveryKeyLineAndHistoryInEveryShippedLanguage) {
  for (const std::string& language : ShippedLanguages()) {
    SCOPED_TRACE(language);
    ASSERT_TRUE(OpenCalculatorParts(Utf8ToUtf16(language).c_str()));
    SetItemCaptions();
    SetSkinItemState(kDegreesKey, 1);
    historyList.entries = {{u"2+2", 4, u"", 0}, {u"1÷0", 0, u"", 2}, {u"", 0, u"", 0}};
    historyList.historyCursor = 0;
    DrawHistory();
    expressionLine.text = u"3×4";
    expressionLine.caret = 1;
    expressionLine.anchor = 3;
    PublishAccessibleTree();
    const std::vector<AccessibleNode> nodes = OffscreenAccessibleNodes(SkinWindowHandle(kMainWindow));
    int32_t width = 0, height = 0;
    ASSERT_TRUE(GetWindowClientSize(SkinWindowHandle(kMainWindow), &width, &height));

    std::set<std::u16string> keyNames;
    for (const MainItem& key : MainItems()) {
      const SkinItem* item = FindSkinItem(key.colour);
      const AccessibleNode* node = Part(nodes, key.colour);
      ASSERT_NE(node, nullptr) << std::hex << key.colour;
      const AccessibleRole role = key.action == ItemAction::kNone ? AccessibleRole::kLabel
                                  : key.action == ItemAction::kRadians || key.action == ItemAction::kDegrees
                                      ? AccessibleRole::kRadioButton
                                      : AccessibleRole::kButton;
      EXPECT_EQ(node->role, role) << std::hex << key.colour;
      EXPECT_EQ(node->parent, 0);
      EXPECT_EQ(std::tie(node->x, node->y, node->width, node->height),
                std::tuple(item->left, item->top, item->right - item->left + 1, item->bottom - item->top + 1));
      EXPECT_LE(node->x + node->width, width);
      EXPECT_LE(node->y + node->height, height);
      EXPECT_EQ(node->checked, key.colour == kDegreesKey);
      if (role == AccessibleRole::kLabel) continue;
      // Keys are told apart by their names alone, and every name is words a synthesiser says.
      EXPECT_TRUE(keyNames.insert(node->name).second) << Utf16ToUtf8(node->name);
      EXPECT_FALSE(node->name.empty());
      EXPECT_EQ(node->name.find_first_of(kUnspokenGlyphs), std::u16string::npos)
          << std::hex << key.colour << " is named " << Utf16ToUtf8(node->name);
      EXPECT_NE(node->name, TextOf(kPiGlyph));
    }

    const AccessibleNode* line = Part(nodes, kExpressionItem);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->role, AccessibleRole::kTextLine);
    EXPECT_EQ(line->name, TextOf(kExpressionNameText));
    EXPECT_EQ(std::tie(line->text, line->caret, line->anchor), std::tuple(u"3×4", 1, 3));
    const AccessibleNode* list = Part(nodes, kHistoryItem);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role, AccessibleRole::kList);
    EXPECT_EQ(list->name, TextOf(kHistoryNameText));
    EXPECT_NE(list->name, line->name);
    EXPECT_FALSE(list->name.empty());
    // The entries, oldest first as the panel shows them upwards; the sentinel is none.
    std::vector<const AccessibleNode*> entries;
    for (const AccessibleNode& node : nodes)
      if (node.parent == kHistoryItem) entries.push_back(&node);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]->name, u"1÷0, " + TextOf(kDivisionByZeroError));
    EXPECT_EQ(entries[1]->name, u"2+2, 4");
    EXPECT_LT(entries[0]->y, entries[1]->y);
    EXPECT_GE(entries[0]->y, list->y);
    EXPECT_LE(entries[1]->y + entries[1]->height, list->y + list->height);
    ReleaseSkin();
  }
}

class AccessibleCalculatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetOffscreen();
    ResetApp();
    fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Lng-Tornavelle", "Lng-Tornavelle");
    fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Apparence", "Apparence", fs::copy_options::recursive);
    PutFile("Langue.lng", "Defaut = English\r\n");
  }
  void TearDown() override { ResetApp(); }
  TempWorkingFolder folder;
};

WindowHandle MainWindow() { return SkinWindowHandle(kMainWindow); }

void Click(int32_t colour) {
  int32_t x = 0, y = 0;
  ASSERT_TRUE(ItemCentreOnScreen(colour, &x, &y));
  OffscreenClick(x, y);
}

// What the keys act on, to compare a press with a click.
struct Outcome {
  std::u16string line;
  size_t entries;
  int32_t angleMode;
  size_t menus;
  bool operator==(const Outcome&) const = default;
};
Outcome Now() {
  return {expressionLine.text, historyList.entries.size(), appSettings.angleMode, OffscreenShownMenus().size()};
}

// Every key pressed by a screen reader does what a click on it does, from the same line.
TEST_F(AccessibleCalculatorTest, EveryPressDoesWhatItsClickDoes) {
  int64_t at = 500;
  for (const MainItem& key : MainItems()) {
    if (key.action == ItemAction::kNone || key.action == ItemAction::kQuit) continue;
    auto before = std::make_shared<std::vector<HistoryEntry>>();
    auto clicked = std::make_shared<Outcome>();
    AtOffscreenTime(at, [before] {
      *before = historyList.entries;
      expressionLine = {u"12", 2, 2};
    });
    AtOffscreenTime(at + 10, [key] { Click(key.colour); });
    AtOffscreenTime(at + 50, [before, clicked] {
      *clicked = Now();
      historyList.entries = *before;
      expressionLine = {u"12", 2, 2};
    });
    AtOffscreenTime(at + 60, [key] { EXPECT_TRUE(PressOffscreenAccessible(MainWindow(), key.colour)); });
    AtOffscreenTime(at + 100, [key, clicked] {
      Outcome pressed = Now();
      // The function key's menu opens once more.
      if (key.action == ItemAction::kFunctionMenu) pressed.menus -= 1;
      EXPECT_EQ(pressed, *clicked) << std::hex << key.colour;
    });
    at += 200;
  }
  // Captions do nothing when pressed, and the quit key ends the program as its click does.
  AtOffscreenTime(at, [] {
    EXPECT_FALSE(PressOffscreenAccessible(MainWindow(), kAngleLabelItem));
    EXPECT_TRUE(PressOffscreenAccessible(MainWindow(), kQuitKey));
  });
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
}

// 7 + 8 = pressed by a screen reader: the answer is announced and the history's newest entry
// holds it; the angle keys' checked state follows the mode; typing reaches the reader as
// insertions and deletions at the right places, with the caret after them.
TEST_F(AccessibleCalculatorTest, PressesTypingAndTheAnnouncedAnswer) {
  AtOffscreenTime(500, [] {
    for (int32_t key : {kDigitKeys[7], kPlusKey, kDigitKeys[8], kResultKey}) PressOffscreenAccessible(MainWindow(), key);
  });
  AtOffscreenTime(1000, [] {
    ASSERT_EQ(OffscreenAnnouncements().size(), 1u);
    EXPECT_EQ(OffscreenAnnouncements()[0].message, u"15");
    const std::vector<AccessibleNode> nodes = OffscreenAccessibleNodes(MainWindow());
    const AccessibleNode* newest = nullptr;
    for (const AccessibleNode& node : nodes)
      if (node.parent == kHistoryItem) newest = &node;
    ASSERT_NE(newest, nullptr);
    EXPECT_EQ(newest->name, u"7+8, 15");
    EXPECT_GT(newest->width, 0);
    EXPECT_EQ(Part(nodes, kExpressionItem)->text, u"");
    EXPECT_TRUE(Part(nodes, kExpressionItem)->focused);
    PressOffscreenAccessible(MainWindow(), kDegreesKey);
  });
  AtOffscreenTime(1100, [] {
    const std::vector<AccessibleNode> nodes = OffscreenAccessibleNodes(MainWindow());
    EXPECT_TRUE(Part(nodes, kDegreesKey)->checked);
    EXPECT_FALSE(Part(nodes, kRadiansKey)->checked);
    EXPECT_EQ(anglesInRadians, 0);
    ForgetOffscreenAccessibleChanges();
    OffscreenType(u"2*3");
    OffscreenPressKey(kKeyLeft);
    OffscreenPressKey(kKeyBackspace);
  });
  AtOffscreenTime(1200, [] {
    using Kind = AccessibleChange::Kind;
    std::vector<std::tuple<Kind, int32_t, int32_t>> heard;
    for (const AccessibleChange& change : OffscreenAccessibleChanges()) {
      if (change.id == kExpressionItem) heard.emplace_back(change.kind, change.start, change.length);
    }
    const std::vector<std::tuple<Kind, int32_t, int32_t>> expected = {
        {Kind::kTextInserted, 0, 1}, {Kind::kCaret, 1, 0},   // 2
        {Kind::kTextInserted, 1, 1}, {Kind::kCaret, 2, 0},   // * shown as ×
        {Kind::kTextInserted, 2, 1}, {Kind::kCaret, 3, 0},   // 3
        {Kind::kCaret, 2, 0},                                // Left
        {Kind::kTextRemoved, 1, 1}, {Kind::kCaret, 1, 0},    // Backspace takes the ×
    };
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(Part(OffscreenAccessibleNodes(MainWindow()), kExpressionItem)->text, u"23");
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
}

}  // namespace
