// SPDX-License-Identifier: GPL-3.0-or-later
// What the user meant, through the event loop's dispatch on the offscreen backend: clicks that
// need the press and the release on one item, the keys and clipboard of every text field, undo
// and redo, a trailing "=", and clicks on the history's entries.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "../support/calculator_parts.h"
#include "app/event_loop.h"
#include "app/items.h"
#include "app/menus.h"
#include "engine/evaluator.h"
#include "platform/input.h"
#include "platform/numbers.h"
#include "settings/settings.h"
#include "skin/item_colours.h"

namespace {


class UserInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(OpenCalculatorParts());
    SetItemCaptions();
    SetSkinItemDrag(kHistoryItem, 1);
    LetCaptionsDragTheWindow();
    appSettings.angleMode = 1;
    SetAngleMode(1);
    SetOffscreenClipboard(u"before");
  }
  void TearDown() override { ResetApp(); }
};

// Handles what is queued as the event loop does.
void Pump() {
  while ((currentEvent = WaitSkinEvent()) != kEventNone) DispatchSkinEvent();
}

std::pair<int32_t, int32_t> Centre(int32_t item) {
  int32_t x = 0, y = 0;
  EXPECT_TRUE(ItemCentreOnScreen(item, &x, &y));
  return {x, y};
}

std::pair<int32_t, int32_t> WindowPlace() {
  int32_t x = 0, y = 0;
  GetWindowPosition(SkinWindowHandle(0), &x, &y);
  return {x, y};
}

// A press at one screen point and a release at another, the pointer moving between them.
void PressAndRelease(std::pair<int32_t, int32_t> press, std::pair<int32_t, int32_t> release) {
  OffscreenMoveMouse(press.first, press.second);
  OffscreenPressButton(MouseButton::kLeft);
  Pump();
  OffscreenMoveMouse(release.first, release.second);
  Pump();
  OffscreenReleaseButton(MouseButton::kLeft);
  Pump();
}

void Key(int32_t key, char16_t character = 0) {
  OffscreenPressKey(key, character);
  Pump();
}

// A key pressed with Shift or Ctrl held.
void ShiftKey(int32_t key) {
  OffscreenHoldShift(true);
  Key(key);
  OffscreenHoldShift(false);
}
void ControlKey(int32_t key) {
  OffscreenHoldControl(true);
  Key(key);
  OffscreenHoldControl(false);
}

// Ctrl with a letter types its control character. Shift, if held, is let go before the program
// reads the key, as a quick hand does: what counts is that it was held with the key.
void Control(char letter, bool shift = false) {
  OffscreenHoldShift(shift);
  OffscreenPressKey(letter, char16_t(letter - 'A' + 1));
  OffscreenHoldShift(false);
  Pump();
}

void Type(std::u16string_view text) {
  OffscreenType(text);
  Pump();
}

TEST_F(UserInputTest, AClickNeedsThePressAndTheReleaseOnOneItem) {
  struct Case {
    const char* name;
    int32_t pressed, released;
    const char16_t* line;
    int32_t angleMode;
    bool windowMoves;
  } cases[] = {
      {"a click on 7", kDigitKeys[7], kDigitKeys[7], u"7", 1, false},
      {"from 7 to 8", kDigitKeys[7], kDigitKeys[8], u"", 1, false},
      {"from the angle label to Deg", kAngleLabelItem, kDegreesKey, u"", 1, true},
      {"from the title to 8", kTitleItem, kDigitKeys[8], u"", 1, true},
      {"a click on Deg", kDegreesKey, kDegreesKey, u"", 2, false},
      {"a click on the title", kTitleItem, kTitleItem, u"", 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetAngleMode(1);
    appSettings.angleMode = 1;
    expressionLine.text.clear();
    expressionLine.caret = expressionLine.anchor = 0;
    MoveSkinWindow(0, 100, 100);
    const auto before = WindowPlace();
    PressAndRelease(Centre(c.pressed), Centre(c.released));
    EXPECT_EQ(expressionLine.text, c.line);
    EXPECT_EQ(appSettings.angleMode, c.angleMode);
    // A caption drags the window as the background does; the release lands where it moved.
    EXPECT_EQ(WindowPlace() != before, c.windowMoves);
  }
}

// Each case starts from the line (caret at its end) and a history whose newest answer is
// √2/2, then plays the keys: the line, the selection and the clipboard afterwards.
TEST_F(UserInputTest, KeysAndClipboardAsInEveryTextField) {
  enum Do { kCopy, kCut, kSelectAll, kEscape, kLeftSelect, kUndo, kRedo, kShiftRedo, kBackspace };
  struct Case {
    const char* name;
    const char16_t* line;
    std::vector<Do> keys;
    const char16_t* after;
    int32_t caret, anchor;
    const char16_t* clipboard;
    bool noHistory = false;
  } cases[] = {
      {"copy on an empty line: the latest answer", u"", {kCopy}, u"", 0, 0, u"0.7071067811865476"},
      {"copy on an empty line, no answer yet", u"", {kCopy}, u"", 0, 0, u"before", true},
      {"copy with nothing selected: the line", u"2+3", {kCopy}, u"2+3", 3, 3, u"2+3"},
      {"copy of the selection", u"2+3", {kLeftSelect, kCopy}, u"2+3", 2, 3, u"3"},
      {"cut with nothing selected does nothing", u"2+3", {kCut}, u"2+3", 3, 3, u"before"},
      {"cut of the selection", u"2+3", {kLeftSelect, kCut}, u"2+", 2, 2, u"3"},
      {"escape clears the line", u"2+3", {kEscape}, u"", 0, 0, u"before"},
      {"ctrl+a selects the whole line", u"2+3", {kSelectAll}, u"2+3", 3, 0, u"before"},
      {"undo of a clear", u"2+3", {kEscape, kUndo}, u"2+3", 3, 3, u"before"},
      {"undo of a cut and its redo", u"2+3", {kLeftSelect, kCut, kUndo}, u"2+3", 2, 3, u"3"},
      {"redo with ctrl+y", u"2+3", {kLeftSelect, kCut, kUndo, kRedo}, u"2+", 2, 2, u"3"},
      {"redo with ctrl+shift+z", u"2+3", {kBackspace, kUndo, kShiftRedo}, u"2+", 2, 2, u"before"},
      {"undo back to the start and no further", u"2+3", {kBackspace, kBackspace, kUndo, kUndo, kUndo},
       u"2+3", 3, 3, u"before"},
      {"a new edit forgets what was undone", u"2+3", {kBackspace, kUndo, kEscape, kRedo}, u"", 0, 0,
       u"before"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetExpressionLine();
    lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
    // The newest calculation failed: the latest answer is the one before.
    historyList.entries = {{u"2+", 0, u"", 1}, {u"√(2)÷2", std::sqrt(2.0) / 2, u"", 0}, {}};
    if (c.noHistory) historyList.entries.erase(historyList.entries.begin() + 1);
    expressionLine.text = c.line;
    expressionLine.caret = expressionLine.anchor = int32_t(expressionLine.text.size());
    SetOffscreenClipboard(u"before");
    for (Do key : c.keys) {
      switch (key) {
        case kCopy: Control('C'); break;
        case kCut: Control('X'); break;
        case kSelectAll: Control('A'); break;
        case kEscape: Key(kKeyEscape, 27); break;
        case kLeftSelect: ShiftKey(kKeyLeft); break;
        case kUndo: Control('Z'); break;
        case kRedo: Control('Y'); break;
        case kShiftRedo: Control('Z', true); break;
        case kBackspace: Key(kKeyBackspace, 8); break;
      }
    }
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(c.after));
    EXPECT_EQ(expressionLine.caret, c.caret);
    EXPECT_EQ(expressionLine.anchor, c.anchor);
    EXPECT_EQ(OffscreenClipboard(), c.clipboard);
    EXPECT_EQ(historyList.entries.size(), c.noHistory ? 2u : 3u);  // Escape keeps the history
  }
}

// Every way of changing the line is one step back: typing, a key's insertion, a menu entry, a
// paste, a recall, a calculation; undoing them all in turn walks back through each text.
TEST_F(UserInputTest, EveryChangeOfTheLineCanBeUndoneAndRedone) {
  BuildMenus();
  historyList.entries = {{u"5×5", 25, u"", 0}, {}};
  SetOffscreenClipboard(u"(1)");
  std::vector<std::u16string> texts = {u""};
  auto changed = [&] { texts.push_back(expressionLine.text); };
  Type(u"2");
  changed();
  Type(u"*");
  changed();
  PressAndRelease(Centre(kDigitKeys[7]), Centre(kDigitKeys[7]));
  changed();
  ScriptMenuChoice(75);
  ShowMenu(kEditMenu);
  Pump();
  changed();
  Key(kKeyPageUp);
  changed();
  Key(kKeyEnter);
  changed();
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"", u"2", u"2×", u"2×7", u"2×7(1)", u"5×5", u""}));
  for (size_t i = texts.size() - 1; i > 0; --i) {
    Control('Z');
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(texts[i - 1]));
  }
  Control('Z');  // nothing more to undo
  EXPECT_EQ(expressionLine.text, u"");
  for (size_t i = 1; i < texts.size(); ++i) {
    Control('Y');
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(texts[i]));
  }

  // A number typed at once is one step, as a word is in a text field; an operator is its own.
  Key(kKeyEscape, 27);
  Type(u"12.5+34");
  Key(kKeyLeft);
  Type(u"0");
  for (const char16_t* text : {u"12.5+34", u"12.5+", u"12.5", u""}) {
    Control('Z');
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(text));
  }
}

TEST_F(UserInputTest, ALineEndingInEqualsCalculatesWhatComesBefore) {
  struct Case {
    const char16_t* typed;
    const char16_t* expression;  // the newest entry afterwards, nullptr: none
    double answer;
    int32_t errorKind;
    const char16_t* line;
  } cases[] = {
      {u"2+2=", u"2+2", 4, 0, u""},
      {u"2+2==", u"2+2", 4, 0, u""},
      {u"2=2", u"2=2", 1, 0, u""},    // a comparison still compares
      {u"2>=", u"2≥", 0, 1, u"2≥"},   // "≥" is no "=": a comparison with no right operand
      {u"=", u"rép", 0, 0, u""},      // "=" on an empty line follows the answer word
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.typed));
    ResetExpressionLine();
    lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
    historyList.entries.clear();
    Type(c.typed);
    Key(kKeyEnter);
    ASSERT_FALSE(historyList.entries.empty());
    EXPECT_EQ(Utf16ToUtf8(historyList.entries[0].expression), Utf16ToUtf8(c.expression));
    EXPECT_EQ(historyList.entries[0].errorKind, c.errorKind);
    if (c.errorKind == 0) {
      EXPECT_EQ(historyList.entries[0].answer, c.answer);
    }
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(c.line));
  }
}

// A click on an entry's expression recalls it; on its answer, inserts it at the caret with every
// digit; a press that moves drags the window and does neither.
TEST_F(UserInputTest, ClicksOnHistoryEntries) {
  historyList.entries = {{u"−1÷3", -1.0 / 3, u"−1⁄3 = ", 0},
                         {u"1÷0", 0, u"", 2},
                         {u"2^0.5", std::sqrt(2.0), u"", 0},
                         {}};
  historyList.historyCursor = 0;
  DrawHistory();
  const SkinItem* panel = FindSkinItem(kHistoryItem);
  const int32_t lineHeight = MeasureText(SkinItemFont(kHistoryItem), u"").height;
  // The screen point of row `row` counted from the panel's bottom (0: the newest answer).
  auto row = [&](int32_t n) {
    int32_t x = 0, y = 0;
    ItemPointOnScreen(kHistoryItem, (panel->right - panel->left) / 2,
                      panel->bottom - panel->top - n * lineHeight - lineHeight / 2, &x, &y);
    return std::pair(x, y);
  };
  struct Case {
    const char* name;
    const char16_t* line;
    int32_t caret;
    int32_t row;
    int32_t moveBy;  // pixels the pointer moves between press and release
    const char16_t* after;
  } cases[] = {
      {"an expression", u"7+", 2, 1, 0, u"−1÷3"},
      {"an answer, at the caret", u"7+", 2, 4, 0, u"7+1.4142135623730951"},
      {"an answer in the middle", u"7+×2", 2, 4, 0, u"7+1.4142135623730951×2"},
      {"a negative answer", u"7+", 2, 0, 0, u"7+(−0.3333333333333333)"},
      {"a negative answer on an empty line", u"", 0, 0, 0, u"−0.3333333333333333"},
      {"a failed calculation's expression", u"", 0, 3, 0, u"1÷0"},
      {"a failed calculation's error", u"7", 1, 2, 0, u"7"},
      {"the sentinel", u"7", 1, 7, 0, u"7"},
      {"a drag", u"7", 1, 1, 40, u"7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MoveSkinWindow(0, 100, 100);
    expressionLine.text = c.line;
    expressionLine.caret = expressionLine.anchor = c.caret;
    const auto [x, y] = row(c.row);
    PressAndRelease({x, y}, {x + c.moveBy, y});
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(c.after));
    EXPECT_EQ(WindowPlace() != std::pair(100, 100), c.moveBy != 0);
  }
  // What was inserted is what the calculation reads: the same double.
  expressionLine.text.clear();
  expressionLine.caret = expressionLine.anchor = 0;
  PressAndRelease(row(4), row(4));
  Key(kKeyEnter);
  EXPECT_EQ(historyList.entries[0].answer, std::sqrt(2.0));
}

// What a user meets in the first minutes, played key by key on an empty line and a history of
// one calculation (5×5 = 25): the line, the history's answers newest first and where browsing
// stands, the clipboard and the primary selection afterwards.
TEST_F(UserInputTest, EverydayHabits) {
  enum Do { kEnter, kPageUp, kPageDown, kEscape, kLeftSelect, kCtrlV, kCtrlC, kShiftInsert,
            kCtrlInsert, kNumpadComma, kMiddleClickLeft, kMiddleClickOutside };
  struct Step {
    Do key;
    const char16_t* typed = nullptr;  // typed before the key, when not null
  };
  struct Case {
    const char* name;
    const char16_t* clipboard;
    const char16_t* primary;
    std::vector<Step> steps;
    const char16_t* line;
    const char* answers;
    int32_t cursor;
    const char16_t* clipboardAfter;
    const char16_t* primaryAfter;
  } cases[] = {
      // The answer word reads the answer before this calculation joins the history.
      {"a step repeated on the answer", u"", u"",
       {{kEnter, u"2"}, {kEnter, u"*2"}, {kEnter, u"*2"}, {kEnter, u"*2"}}, u"", "16 8 4 2 25", 0,
       u"", u""},
      {"a calculation repeated is one row", u"", u"", {{kEnter, u"2+2"}, {kEnter, u"2+2"}}, u"",
       "4 25", 0, u"", u""},
      {"the answer word after a failure", u"", u"", {{kEnter, u"2+"}, {kEscape}, {kEnter, u"+1"}},
       u"", "26 25", 0, u"", u""},
      {"a large answer copied as other programs read it", u"", u"", {{kEnter, u"170!"}, {kCtrlC}},
       u"", "7.257415615307994e+306 25", 0, u"7.257415615307994e+306", u""},
      // Pastes are one line, without blanks at the ends.
      {"a number with its line break", u"42\r\n", u"", {{kCtrlV}}, u"42", "25", 0, u"42\r\n",
       u""},
      {"breaks, tabs and controls inside", u"\t1\r\n+\x01\n2\u2028", u"", {{kCtrlV}}, u"1 +  2",
       "25", 0, u"\t1\r\n+\x01\n2\u2028", u""},
      {"shift+insert pastes", u"7\n", u"", {{kShiftInsert, u"1+"}}, u"1+7", "25", 0, u"7\n", u""},
      {"ctrl+insert copies", u"", u"", {{kCtrlInsert, u"1+2"}}, u"1+2", "25", 0, u"1+2", u""},
      // The keypad's decimal key types a point whatever its layout gives.
      {"the keypad's comma", u"", u"", {{kNumpadComma, u"1"}, {kEnter, u"5+1"}}, u"", "2.5 25", 0,
       u"", u""},
      // Escape clears the line and ends browsing: nothing typed after it is lost.
      {"escape after page up", u"", u"", {{kPageUp}, {kEscape}, {kPageUp, u"7+"}, {kPageDown}},
       u"7+", "25", 0, u"", u""},
      {"escape while browsing clears the line", u"", u"", {{kPageUp, u"8-"}, {kEscape}}, u"", "25",
       0, u"", u""},
      {"a recalled line edited is kept", u"", u"",
       {{kPageUp}, {kPageUp, u"+1"}, {kPageDown}, {kPageDown}}, u"5×5+1", "25", 0, u"", u""},
      // The line's selection is the primary selection; a middle click pastes it at the pointer.
      {"a selection fills the primary selection", u"", u"old",
       {{kLeftSelect, u"12"}, {kLeftSelect}}, u"12", "25", 0, u"", u"12"},
      {"a middle click pastes at the pointer", u"", u"9\n", {{kMiddleClickLeft, u"1+"}}, u"91+",
       "25", 0, u"", u"9\n"},
      {"a middle click elsewhere does nothing", u"", u"9", {{kMiddleClickOutside, u"1+"}}, u"1+",
       "25", 0, u"", u"9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetExpressionLine();
    ResetHistoryPanel();
    lineImage = MakeImage(SkinItemWidth(kExpressionItem), SkinItemHeight(kExpressionItem));
    historyImage = MakeImage(SkinItemWidth(kHistoryItem), SkinItemHeight(kHistoryItem));
    historyList.entries = {{u"5×5", 25, u"", 0}, {}};
    historyList.historyCursor = 0;
    SetOffscreenClipboard(std::u16string(c.clipboard));
    SetOffscreenPrimarySelection(c.primary);
    MoveSkinWindow(0, 100, 100);
    for (const Step& step : c.steps) {
      if (step.typed) Type(step.typed);
      switch (step.key) {
        case kEnter: Key(kKeyEnter, 13); break;
        case kPageUp: Key(kKeyPageUp); break;
        case kPageDown: Key(kKeyPageDown); break;
        case kEscape: Key(kKeyEscape, 27); break;
        case kLeftSelect: ShiftKey(kKeyLeft); break;
        case kCtrlV: Control('V'); break;
        case kCtrlC: Control('C'); break;
        case kShiftInsert: ShiftKey(kKeyInsert); break;
        case kCtrlInsert: ControlKey(kKeyInsert); break;
        case kNumpadComma: Key(kKeyDecimal, u','); break;
        case kMiddleClickLeft:
        case kMiddleClickOutside: {
          const auto [x, y] = Centre(step.key == kMiddleClickLeft ? kExpressionItem : kHistoryItem);
          const int32_t left = x - SkinItemWidth(kExpressionItem) / 2 + 1;
          OffscreenClick(step.key == kMiddleClickLeft ? left : x, y, MouseButton::kMiddle);
          Pump();
          break;
        }
      }
    }
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(c.line));
    std::string answers;
    for (const HistoryEntry& entry : historyList.entries)
      if (!entry.expression.empty()) answers += (answers.empty() ? "" : " ") + ShortestDoubleText(entry.answer);
    EXPECT_EQ(answers, c.answers);
    EXPECT_EQ(historyList.historyCursor, c.cursor);
    EXPECT_EQ(Utf16ToUtf8(OffscreenClipboard().value_or(u"-")), Utf16ToUtf8(c.clipboardAfter));
    EXPECT_EQ(Utf16ToUtf8(OffscreenPrimarySelection()), Utf16ToUtf8(c.primaryAfter));
  }
}

}  // namespace
