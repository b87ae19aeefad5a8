// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/edit_commands.h"
#include "../support/calculator_parts.h"

namespace {

class EditCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(OpenCalculatorParts()); }
  void TearDown() override { ResetApp(); }
};

TEST_F(EditCommandsTest, CopyCutPasteAndClear) {
  struct Case {
    const char* what;
    std::u16string text;
    int32_t caret, anchor;
    std::optional<std::u16string> clipboard;  // nullopt: something that is not text
    bool locked;
    void (*command)();
    std::u16string textAfter;
    int32_t caretAfter, anchorAfter;
    std::optional<std::u16string> clipboardAfter;
  } cases[] = {
      {"copy without a selection takes the whole line", u"1+2", 3, 3, u"x", false, CopySelection, u"1+2", 3, 3, u"1+2"},
      // With no answer yet, nothing to copy: what another program put there stays.
      {"copy of an empty line", u"", 0, 0, u"x", false, CopySelection, u"", 0, 0, u"x"},
      {"copy of a selection made leftwards", u"1+2", 1, 3, u"x", false, CopySelection, u"1+2", 1, 3, u"+2"},
      {"cut without a selection does nothing", u"1+2", 2, 2, u"x", false, CutSelection, u"1+2", 2, 2, u"x"},
      {"cut of a selection made rightwards", u"1+2", 3, 1, u"x", false, CutSelection, u"1", 1, 1, u"+2"},
      {"cut that cannot reach the clipboard keeps the line", u"1+2", 3, 1, u"x", true, CutSelection, u"1+2", 3, 1, u"x"},
      {"paste replaces the selection", u"1+2", 1, 3, u"×5", false, PasteText, u"1×5", 3, 3, u"×5"},
      {"paste of no text still deletes the selection", u"1+2", 1, 3, std::nullopt, false, PasteText, u"1", 1, 1, std::nullopt},
      {"paste of a locked clipboard inserts nothing", u"1+2", 3, 3, u"7", true, PasteText, u"1+2", 3, 3, u"7"},
      {"paste never brings the answer word", u"", 0, 0, u"+3", false, PasteText, u"+3", 2, 2, u"+3"},
      {"paste makes line breaks blanks and keeps any other character", u"", 0, 0, u"1\n2é", false, PasteText, u"1 2é", 4, 4, u"1\n2é"},
      {"clear empties the line", u"1+2", 1, 2, u"x", false, ClearExpression, u"", 0, 0, u"x"},
  };
  for (const Case& c : cases) {
    expressionLine.text = c.text;
    expressionLine.caret = c.caret;
    expressionLine.anchor = c.anchor;
    SetOffscreenClipboardLocked(false);
    SetOffscreenClipboard(c.clipboard);
    SetOffscreenClipboardLocked(c.locked);
    c.command();
    SetOffscreenClipboardLocked(false);
    EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(c.textAfter)) << c.what;
    EXPECT_EQ(expressionLine.caret, c.caretAfter) << c.what;
    EXPECT_EQ(expressionLine.anchor, c.anchorAfter) << c.what;
    EXPECT_EQ(OffscreenClipboard(), c.clipboardAfter) << c.what;
  }
}

TEST_F(EditCommandsTest, TenMegabytesPaste) {
  SetOffscreenClipboard(std::u16string(10'000'000, u'4'));
  PasteText();
  EXPECT_EQ(expressionLine.text.size(), 10'000'000u);
  EXPECT_EQ(expressionLine.caret, 10'000'000);
}

}  // namespace
