#include <gtest/gtest.h>

#include <string>
#include <vector>

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
void Calculate(const std::u16string& expression, int32_t errorKind = 0) {
  AddHistoryEntry(expression).errorKind = errorKind;
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
  Calculate(u"1+1");
  Calculate(u"1+1");  // the same again: one entry
  Calculate(u"1/0", 2);
  Calculate(u"2+2");  // replaces the failed one
  EXPECT_EQ(Expressions(), "2+2|1+1|");

  // A loaded list ends with its sentinel; the 32nd entry pushes out the oldest real one.
  historyList.entries.clear();
  for (int i = 1; i <= 30; ++i) historyList.entries.insert(historyList.entries.begin(), {u"L" + Utf8ToUtf16(std::to_string(i)), 0.0, u"", 0});
  historyList.entries.push_back({});
  Calculate(u"new");
  EXPECT_EQ(historyList.entries.size(), 31u);
  EXPECT_EQ(historyList.entries[29].expression, u"L2");
  EXPECT_EQ(historyList.entries[30].expression, u"");

  // A run that started empty has no sentinel: the second-oldest goes and the oldest stays.
  historyList.entries.clear();
  for (int i = 1; i <= 32; ++i) Calculate(u"C" + Utf8ToUtf16(std::to_string(i)));
  EXPECT_EQ(historyList.entries.size(), 31u);
  EXPECT_EQ(historyList.entries[29].expression, u"C3");
  EXPECT_EQ(historyList.entries[30].expression, u"C1");
  EXPECT_EQ(historyList.historyCursor, 0);
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

}  // namespace
