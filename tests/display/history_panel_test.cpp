// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "display/answer_format.h"
#include "display/history_panel.h"
#include "platform/text.h"
#include "../support/calculator_parts.h"

namespace {

class HistoryPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(OpenCalculatorParts()); }
  void TearDown() override { ResetApp(); }
};

std::vector<HistoryEntry> Entries(std::initializer_list<const char16_t*> expressions) {
  std::vector<HistoryEntry> entries;
  double answer = 1;
  for (const char16_t* expression : expressions) entries.push_back({expression, answer++, u"", 0});
  return entries;
}

// A calculation as the history sees it: the entry goes in, then the limit applies.
void Calculate(const std::u16string& expression, int32_t errorKind = 0, double answer = 0) {
  AddHistoryEntry({expression, answer, u"", errorKind});
  TrimHistory();
}

std::string Expressions() {
  std::string all;
  for (const HistoryEntry& entry : historyList.entries) all += Utf16ToUtf8(entry.expression) + "|";
  return all;
}

TEST_F(HistoryPanelTest, PageUpAndDownBrowseAndComeBackToWhatWasTyped) {
  historyList.entries = Entries({u"X3", u"X2", u"X1", u""});
  historyList.historyCursor = 0;
  expressionLine.text = u"7+";
  struct Step {
    void (*browse)();
    const char16_t* line;
    int32_t cursor;
  } steps[] = {
      {HistoryOlder, u"X3", 1}, {HistoryOlder, u"X2", 2}, {HistoryOlder, u"X1", 3},
      {HistoryOlder, u"X1", 3},  // the sentinel: nothing older
      {HistoryNewer, u"X2", 2}, {HistoryNewer, u"X3", 1}, {HistoryNewer, u"7+", 0},
      {HistoryNewer, u"7+", 0},  // nothing newer
  };
  for (const Step& step : steps) {
    step.browse();
    EXPECT_EQ(expressionLine.text, step.line);
    EXPECT_EQ(expressionLine.caret, static_cast<int32_t>(expressionLine.text.size()));
    EXPECT_EQ(historyList.historyCursor, step.cursor);
  }
}

TEST_F(HistoryPanelTest, EntriesAreReplacedAndTrimmed) {
  // Rows merge only when the whole calculation is the same: a repeat that gives another answer
  // (the answer word's step, a memory that changed) is a new row.
  struct Row {
    const char16_t* expression;
    int32_t errorKind;
    double answer;
  };
  const Row rows[] = {
      {u"1+1", 0, 2}, {u"1+1", 0, 2},  // the same again: one entry
      {u"1/0", 2, 0}, {u"2+2", 0, 4},  // replaces the failed one
      {u"ans*2", 0, 8}, {u"ans*2", 0, 16}, {u"ans*2", 0, 32},
      {u"ans*0", 0, 0}, {u"ans*0", 0, -0.0},  // a sign the panel shows
      {u"z", 3, 0}, {u"z", 3, 0},             // a failure repeated stays one row
  };
  for (const Row& row : rows) Calculate(row.expression, row.errorKind, row.answer);
  EXPECT_EQ(Expressions(), "z|ans*0|ans*0|ans*2|ans*2|ans*2|2+2|1+1||");

  // A loaded list ends with its sentinel; the 32nd entry pushes out the oldest real one.
  historyList.entries.clear();
  for (int i = 1; i <= 30; ++i) historyList.entries.insert(historyList.entries.begin(), {u"L" + Utf8ToUtf16(std::to_string(i)), 0.0, u"", 0});
  historyList.entries.push_back({});
  Calculate(u"new");
  EXPECT_EQ(historyList.entries.size(), 31u);
  EXPECT_EQ(historyList.entries[29].expression, u"L2");
  EXPECT_EQ(historyList.entries[30].expression, u"");

  // A list that starts empty gets its sentinel at its first calculation, even a failed one:
  // after 40 the newest 30 are kept, and the oldest of them can be recalled.
  historyList.entries.clear();
  Calculate(u"1/0", 2);
  EXPECT_EQ(Expressions(), "1/0||");
  for (int i = 1; i <= 40; ++i) Calculate(u"C" + Utf8ToUtf16(std::to_string(i)));
  EXPECT_EQ(historyList.entries.size(), 31u);
  EXPECT_EQ(historyList.entries[0].expression, u"C40");
  EXPECT_EQ(historyList.entries[29].expression, u"C11");
  EXPECT_EQ(historyList.entries[30].expression, u"");
  EXPECT_EQ(historyList.historyCursor, 0);
  for (int i = 0; i < 40; ++i) HistoryOlder();
  EXPECT_EQ(expressionLine.text, u"C11");
}

// Whatever its length, a line shows what it is: a whole expression or its start with "…", a
// whole answer line or the number alone; never a part cut off at the panel's edge.
TEST_F(HistoryPanelTest, TextsTooWideForThePanelLoseTheirEndOrTheirForm) {
  const FontHandle font = SkinItemFont(kHistoryItem);
  const int32_t width = historyImage.width;
  std::u16string sum = u"1";
  for (int i = 2; i <= 60; ++i) sum += u"+" + Utf8ToUtf16(std::to_string(i));
  const std::u16string longForm = u"-√(3)*9973/9998*-√(3)*9973/9998*-√(3)*9973/9998*-√(3)*9973/9998 = ";
  const std::u16string million(1000000, u'7');
  struct Case {
    HistoryEntry entry;
    const char16_t* expression;  // shown whole; nullptr: cut with "…"
    const char16_t* answer;      // shown whole; nullptr: the number alone
  } cases[] = {
      {{u"22÷7", 22.0 / 7, u"22/7 = ", 0}, u"22÷7", u"22⁄7 = 3.142857142857"},
      {{sum, 1830, u"", 0}, nullptr, u"1830"},
      {{u"x", -1.727719814351, longForm, 0}, u"x", nullptr},
      {{million, 7, u"", 0}, nullptr, u"7"},
      {{u"1/0", 0, u"", 2}, u"1/0", u"Division par zéro"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.entry.expression.substr(0, 40)));
    const std::u16string expression = ShownExpression(c.entry), answer = ShownAnswerLine(c.entry);
    EXPECT_LE(MeasureText(font, expression).width, width);
    EXPECT_LE(MeasureText(font, answer).width, width);
    if (c.expression) {
      EXPECT_EQ(expression, c.expression);
    } else {
      ASSERT_TRUE(expression.ends_with(u"…"));
      const std::u16string kept = expression.substr(0, expression.size() - 1);
      EXPECT_TRUE(c.entry.expression.starts_with(kept));
      // Not cut shorter than it must be: one more character would not fit.
      EXPECT_GT(MeasureText(font, c.entry.expression.substr(0, kept.size() + 1) + u"…").width, width);
    }
    if (c.answer) {
      EXPECT_EQ(answer, c.answer);
    } else {
      HistoryEntry bare = c.entry;
      bare.exactForm.clear();
      EXPECT_GT(MeasureText(font, ComposeAnswerLine(c.entry)).width, width);
      EXPECT_EQ(answer, ComposeAnswerLine(bare));
    }
  }
  // The widest number, 13 digits with a negative exponent, fits the shipped panel whole.
  EXPECT_EQ(ShownAnswerLine({u"x", -1.234567890123e-100, longForm, 0}),
            ComposeAnswerLine({u"x", -1.234567890123e-100, u"", 0}));
}

// A point of the panel names the entry drawn there and whether it is its expression or its
// answer; the sentinel's rows and the rest of the panel name none.
TEST_F(HistoryPanelTest, APointNamesTheEntryAndTheRowDrawnThere) {
  historyList.entries = Entries({u"3+3", u"2+2", u"1+1", u""});
  historyList.historyCursor = 0;
  DrawHistory();
  const int32_t lineHeight = MeasureText(SkinItemFont(kHistoryItem), u"").height;
  const int32_t h = historyImage.height, w = historyImage.width;
  struct Case { int32_t x, y, entry; HistoryPart part; } cases[] = {
      {w - 1, h - 1, 0, HistoryPart::kAnswer},
      {0, h - lineHeight, 0, HistoryPart::kAnswer},
      {0, h - lineHeight - 1, 0, HistoryPart::kExpression},
      {w / 2, h - 2 * lineHeight, 0, HistoryPart::kExpression},
      {5, h - 3 * lineHeight, 1, HistoryPart::kAnswer},
      {5, h - 5 * lineHeight, 2, HistoryPart::kAnswer},
      {5, h - 6 * lineHeight, 2, HistoryPart::kExpression},
      {5, h - 7 * lineHeight, -1, HistoryPart::kNone},  // the sentinel
      {5, 0, -1, HistoryPart::kNone},
      {-1, h - 1, -1, HistoryPart::kNone}, {w, h - 1, -1, HistoryPart::kNone},
  };
  for (const Case& c : cases) {
    HistoryHit hit = HistoryEntryAt(c.x, c.y);
    EXPECT_EQ(hit.entry, c.entry) << c.x << "," << c.y;
    EXPECT_EQ(hit.part, c.part) << c.x << "," << c.y;
  }
  // Browsed back one entry, the panel starts with the next older one.
  HistoryOlder();
  EXPECT_EQ(HistoryEntryAt(5, h - 1).entry, 1);
}

TEST_F(HistoryPanelTest, ThePanelDrawsAnswersRightExpressionsDimmedAndSeparators) {
  historyList.entries = Entries({u"1+1", u"2×3", u""});
  historyList.entries[0].answer = 2;
  historyList.entries[1].answer = 6;
  historyList.historyCursor = 0;
  DrawHistory();
  const Image& image = historyImage;
  const int32_t lineHeight = MeasureText(SkinItemFont(kHistoryItem), u"1+1").height;
  const Pixel colour = SkinItemTextColour(kHistoryItem) & 0xFFFFFF;
  auto maxAlpha = [&](int32_t top, int32_t left, int32_t right) {
    uint8_t most = 0;
    for (int32_t y = top; y < top + lineHeight; ++y)
      for (int32_t x = left; x < right; ++x) most = std::max(most, PixelAlpha(ImagePixel(image, x, y)));
    return most;
  };
  const int32_t h = image.height, w = image.width;
  EXPECT_EQ(maxAlpha(h - lineHeight, w - w / 4, w), 255);      // the answer, right and opaque
  EXPECT_EQ(maxAlpha(h - lineHeight, 0, w / 4), 0);
  EXPECT_EQ(maxAlpha(h - 2 * lineHeight + 1, 0, w / 4), 0xB0);   // the expression, dimmed
  EXPECT_EQ(ImagePixel(image, w - 1, h - 2 * lineHeight), WithAlpha(colour, 0x10));  // separator
  EXPECT_EQ(maxAlpha(h - 3 * lineHeight, w - w / 4, w), 255);  // the older entry above

  // After a Page Up the recalled entry goes to the line; the panel starts with the next one.
  HistoryOlder();
  const std::vector<Pixel> browsed = image.pixels;
  historyList.entries.erase(historyList.entries.begin());
  historyList.historyCursor = 0;
  DrawHistory();
  EXPECT_EQ(image.pixels, browsed);

  // The current entry is drawn even in a panel too small for it; an empty list draws nothing.
  historyImage = MakeImage(w, lineHeight);
  DrawHistory();
  EXPECT_EQ(maxAlpha(0, w - w / 4, w), 255);
  historyList.entries.clear();
  historyImage = MakeImage(w, h);
  DrawHistory();
  EXPECT_EQ(maxAlpha(0, 0, w), 0);
  HistoryOlder();
  HistoryNewer();
  EXPECT_EQ(historyList.historyCursor, -1);
}

// At the desktop's scale the panel holds what it holds at 1, its fonts and boxes scaled
// together: as many entries, each answer line whole with its exact form, and a caret and
// separators as thick as the scale.
TEST(HistoryPanelAtScale, HoldsTheSameEntriesAndWholeAnswersAtEveryScale) {
  const std::vector<HistoryEntry> entries = {
      {u"√(2)÷2", 0.7071067811865476, u"√(2)⁄2", 0}, {u"π÷4", 0.7853981633974483, u"π⁄4", 0},
      {u"2^10", 1024, u"", 0}, {u"1÷3", 1.0 / 3, u"1⁄3", 0}, {u"", 0, u"", 0}};
  auto shownAt = [&](double scale) {
    EXPECT_TRUE(OpenCalculatorParts(u"English", scale));
    historyList.entries = entries;
    historyList.historyCursor = 0;
    DrawHistory();
    std::vector<std::u16string> answers;
    for (int32_t y = 0; y < historyImage.height; y++) {
      const HistoryHit hit = HistoryEntryAt(historyImage.width - 1, y);
      if (hit.part != HistoryPart::kAnswer) continue;
      const std::u16string answer = ShownAnswerLine(historyList.entries[size_t(hit.entry)]);
      if (answers.empty() || answers.back() != answer) answers.push_back(answer);
    }
    return answers;
  };
  const std::vector<std::u16string> atOne = shownAt(1);
  ASSERT_EQ(atOne.size(), 4u);
  EXPECT_NE(atOne.back().find(u"√(2)⁄2"), std::u16string::npos);
  for (double scale : {1.25, 1.5, 2.0, 3.0}) {
    SCOPED_TRACE(scale);
    EXPECT_EQ(shownAt(scale), atOne);
    EXPECT_EQ(historyImage.width, SkinItemWidth(kHistoryItem));
    // The caret, at the start of the empty line, is as wide as the scale.
    expressionLine = {};
    DrawExpressionLine();
    int32_t caretColumns = 0;
    for (int32_t x = 0; x < lineImage.width; x++) caretColumns += PixelAlpha(ImagePixel(lineImage, x, lineImage.height / 2)) != 0;
    EXPECT_EQ(caretColumns, std::lround(scale));
  }
  ResetApp();
}

}  // namespace
