// SPDX-License-Identifier: GPL-3.0-or-later
// The whole calculator on the offscreen backend, from StartUp to the exit: what a user does
// with the keyboard and the mouse, and what the settings file keeps.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <string>

#include "../support/calculator_parts.h"
#include "../support/temp_folder.h"
#include "app/items.h"
#include "display/expression_line.h"
#include "engine/evaluator.h"
#include "engine/trigonometry.h"
#include "platform/files.h"
#include "platform/input.h"
#include "platform/monitors.h"
#include "settings/settings.h"
#include "skin/item_colours.h"

namespace {

namespace fs = std::filesystem;

class CalculatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetOffscreen();
    ResetApp();
    fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Lng-Tornavelle", "Lng-Tornavelle");
    fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Apparence", "Apparence", fs::copy_options::recursive);
  }
  void TearDown() override { ResetApp(); }
  TempWorkingFolder folder;
};

// A later run of the program in the same folder: a fresh process with the files of the last.
void Restart() {
  ResetOffscreen();
  ResetApp();
}

WindowHandle MainWindow() { return SkinWindowHandle(0); }

void ItemCentre(int32_t colour, int32_t* screenX, int32_t* screenY) {
  ASSERT_TRUE(ItemCentreOnScreen(colour, screenX, screenY));
}

void ClickItem(int32_t colour) {
  int32_t x = 0, y = 0;
  ItemCentre(colour, &x, &y);
  OffscreenClick(x, y);
}

void PressKey(int32_t key) { OffscreenPressKey(key); }

constexpr int32_t kQuitItem = kQuitKey, kResultItem = kResultKey, kSevenItem = kDigitKeys[7], kPlusItem = kPlusKey;

TEST_F(CalculatorTest, FirstRunsCalculationsAndTheRestoredNextRun) {
  // No language chosen yet: the dialog asks, and the choice starts a fresh copy.
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kPressOk, u"Francais"});
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenNewCopies(), 1);
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
  EXPECT_NE(FileContent("Langue.lng").find("Defaut = Francais"), std::string::npos);
  EXPECT_FALSE(fs::exists("Tornavelle.tvnp"));

  // The fresh copy: centred, radians; a calculation typed, one clicked, one recalled.
  Restart();
  AtOffscreenTime(500, [] {
    int32_t x = 0, y = 0;
    GetWindowPosition(MainWindow(), &x, &y);
    EXPECT_EQ(x, (1920 - 392) / 2);
    EXPECT_EQ(y, (1080 - 654) / 2);
    EXPECT_EQ(anglesInRadians, 1);
    EXPECT_EQ(GetSkinItemState(kRadiansKey), 1);
    OffscreenType(u"2+3*4");
    PressKey(kKeyEnter);
  });
  AtOffscreenTime(1000, [] {
    ASSERT_FALSE(historyList.entries.empty());
    EXPECT_EQ(historyList.entries[0].expression, u"2+3×4");
    EXPECT_EQ(historyList.entries[0].answer, 14);
    EXPECT_EQ(expressionLine.text, u"");
  });
  // One click at a time: the skin reads the pointer when it handles each click.
  int64_t at = 1000;
  for (int32_t item : {kSevenItem, kPlusItem, kSevenItem, kResultItem})
    AtOffscreenTime(at += 60, [item] { ClickItem(item); });
  AtOffscreenTime(1500, [] {
    EXPECT_EQ(historyList.entries[0].expression, u"7+7");
    EXPECT_EQ(historyList.entries[0].answer, 14);
    // The first calculation gave the list its sentinel: the oldest entry can be recalled.
    PressKey(kKeyPageUp);
    PressKey(kKeyPageUp);
  });
  AtOffscreenTime(2000, [] {
    EXPECT_EQ(expressionLine.text, u"2+3×4");
    ClickItem(kDegreesKey);
  });
  AtOffscreenTime(2500, [] {
    EXPECT_EQ(anglesInRadians, 0);
    EXPECT_EQ(GetSkinItemState(kDegreesKey), 1);
    EXPECT_EQ(GetSkinItemState(kRadiansKey), 0);
    // The window drags by its history panel.
    int32_t x = 0, y = 0;
    ItemCentre(kHistoryItem, &x, &y);
    OffscreenMoveMouse(x, y);
    OffscreenPressButton(MouseButton::kLeft);
    OffscreenMoveMouse(x - 100, y - 50);
  });
  AtOffscreenTime(2600, [] { OffscreenReleaseButton(MouseButton::kLeft); });
  AtOffscreenTime(3000, [] { ClickItem(kQuitItem); });
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
  const std::string saved = FileContent("Tornavelle.tvnp");
  for (const char* line : {"Operation = 2+3×4", "Mode = 2", "Fenetre x = 664", "Fenetre y = 163",
                           "Reponse0Operation = 7+7", "Reponse0Valeur = 14", "Reponse1Operation = 2+3×4"})
    EXPECT_NE(saved.find(line), std::string::npos) << line << " in\n" << saved;

  // The next run finds everything where it was left.
  Restart();
  AtOffscreenTime(500, [] {
    int32_t x = 0, y = 0;
    GetWindowPosition(MainWindow(), &x, &y);
    EXPECT_EQ(x, 664);
    EXPECT_EQ(y, 163);
    EXPECT_EQ(expressionLine.text, u"2+3×4");
    EXPECT_EQ(expressionLine.caret, 5);
    EXPECT_EQ(historyList.entries.size(), 3u);  // with the sentinel, saved and read back
    EXPECT_EQ(anglesInRadians, 0);
    EXPECT_EQ(GetSkinItemState(kDegreesKey), 1);
    EXPECT_TRUE(FindSkinItem(kHistoryItem)->picture.has_value());
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
}

TEST_F(CalculatorTest, KeysCharactersAndTheWheel) {
  PutFile("Langue.lng", "Defaut = Francais\r\n");
  // A history from an earlier run, so the list has its sentinel and every entry can be recalled.
  PutFile("Tornavelle.tvnp", "[Calcul]\r\nReponse0Operation = 1+1\r\nReponse0Valeur = 2\r\n");
  struct Step {
    std::function<void()> input;
    std::u16string line;
  } steps[] = {
      {[] { OffscreenType(u"é"); }, u""},                      // not a character of calculations
      {[] { OffscreenPressKey(kKeyUp, u'1'); }, u""},          // Up takes no character after it
      {[] { OffscreenPressKey(kKeyDown, u'1'); }, u""},
      {[] { OffscreenType(u"+"); }, u"rép+"},                  // the answer word first
      {[] { PressKey(kKeyBackspace); }, u"rép"},
      {[] { PressKey(kKeyHome); OffscreenType(u"-"); }, u"−rép"},
      {[] { PressKey(kKeyEnd); OffscreenType(u"2"); }, u"−rép2"},
      {[] { PressKey(kKeyHome); PressKey(kKeyDelete); }, u"rép2"},
      {[] { OffscreenPressKey('A', 1); }, u"rép2"},        // Ctrl+A: no command
      {[] { OffscreenPressKey('C', 3); }, u"rép2"},        // Ctrl+C copies the whole line
      {[] { OffscreenPressKey('X', 24); }, u""},           // Ctrl+X cuts it
      {[] { PressKey(kKeyTab); }, u"rép"},                 // Tab: the answer word
      {[] { PressKey(kKeyBackspace); OffscreenPressKey('V', 22); OffscreenPressKey('V', 22); }, u"rép2rép2"},
      {[] { PressKey(kKeyEnter); }, u""},
      // A key that gives no character, then keys typed before the loop came back: none lost.
      {[] { OffscreenPressKey(116); OffscreenType(u"-1"); OffscreenPressKey(45); PressKey(kKeyBackspace); }, u"−"},
      {[] { PressKey(kKeyBackspace); OffscreenType(u"5"); OffscreenTurnWheel(120); }, u"rép2rép2"},  // one notch back
      {[] { OffscreenTurnWheel(60); }, u"5"},  // half a notch counts as none: newer
      {[] { OffscreenTurnWheel(-360); }, u"5"},
  };
  int64_t at = 500;
  for (Step& step : steps) {
    AtOffscreenTime(at, [&step] {
      int32_t x = 0, y = 0;
      ItemCentre(kHistoryItem, &x, &y);
      OffscreenMoveMouse(x, y);  // the wheel goes to the window under the pointer
      step.input();
    });
    AtOffscreenTime(at + 200, [&step] { EXPECT_EQ(Utf16ToUtf8(expressionLine.text), Utf16ToUtf8(step.line)); });
    at += 500;
  }
  AtOffscreenTime(at, [] { OffscreenRequestClose(MainWindow()); });
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
}

// The program sleeps until something can change: with another program in front and the
// pointer away it never wakes; in front it wakes once per caret phase until the desktop's blink
// timeout, then sleeps with the caret shown; a move of the caret shows it for a whole phase;
// hover still follows the pointer in and out at once.
TEST_F(CalculatorTest, AsleepUntilSomethingCanChange) {
  PutFile("Langue.lng", "Defaut = Francais\r\n");
  SetOffscreenCaretBlink({.shownMs = 200, .hiddenMs = 100, .timeoutMs = 3000});
  static int64_t wakeUps = 0;
  constexpr int64_t kAway = 1000, kBack = 61000, kTyped = 64100;
  AtOffscreenTime(kAway, [] {
    SetOffscreenForeground(0);
    OffscreenMoveMouse(1919, 1079);  // away from the window
    wakeUps = OffscreenWakeUps();
  });
  AtOffscreenTime(kBack, [] {
    // One wait began behind the changes above and sleeps still: a minute with no wake-up.
    EXPECT_LE(OffscreenWakeUps() - wakeUps, 1);
    SetOffscreenForeground(MainWindow());
    wakeUps = OffscreenWakeUps();
  });
  AtOffscreenTime(kBack + 3050, [] {
    // Twenty phases, and the wait for the focus change; then nothing, the caret shown.
    EXPECT_GE(OffscreenWakeUps() - wakeUps, 20);
    EXPECT_LE(OffscreenWakeUps() - wakeUps, 21);
    EXPECT_TRUE(expressionLine.caretShown);
    wakeUps = OffscreenWakeUps();
  });
  AtOffscreenTime(kTyped - 10, [] { EXPECT_LE(OffscreenWakeUps() - wakeUps, 1); });
  AtOffscreenTime(kTyped, [] {
    OffscreenType(u"7");
    PressKey(kKeyLeft);  // a move shows the caret anew
  });
  AtOffscreenTime(kTyped + 150, [] { EXPECT_TRUE(expressionLine.caretShown); });
  AtOffscreenTime(kTyped + 250, [] { EXPECT_FALSE(expressionLine.caretShown); });
  AtOffscreenTime(kTyped + 350, [] { EXPECT_TRUE(expressionLine.caretShown); });
  AtOffscreenTime(kTyped + 1000, [] {
    int32_t x = 0, y = 0;
    ItemCentre(kSevenItem, &x, &y);
    OffscreenMoveMouse(x, y);
  });
  AtOffscreenTime(kTyped + 1010, [] { EXPECT_TRUE(IsSkinItemHot(kSevenItem)); });
  AtOffscreenTime(kTyped + 1020, [] { OffscreenMoveMouse(1919, 1079); });
  AtOffscreenTime(kTyped + 1030, [] { EXPECT_FALSE(IsSkinItemHot(kSevenItem)); });
  AtOffscreenTime(kTyped + 1100, [] {
    SetOffscreenForeground(0);
    wakeUps = OffscreenWakeUps();
  });
  AtOffscreenTime(kTyped + 600000, [] {
    EXPECT_LE(OffscreenWakeUps() - wakeUps, 1);
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
}

// The caret keeps the desktop's rhythm: the phases it sets, a steady caret when blinking is off,
// no end without a timeout; after the timeout a key, a click on the line or the keyboard coming
// back starts the blink over. Each row: the rhythm, then the phase seen at moments after an
// input (true: shown).
TEST_F(CalculatorTest, TheCaretBlinksAsTheDesktopSays) {
  static const struct Row {
    const char* name;
    CaretBlink rhythm;
    std::vector<std::pair<int64_t, bool>> phases;
  } rows[] = {
      {"steady", {.blinks = false}, {{100, true}, {700, true}, {5000, true}}},
      {"uneven", {.shownMs = 500, .hiddenMs = 250, .timeoutMs = 2000},
       {{450, true}, {550, false}, {800, true}, {1300, false}, {1550, true}, {1800, true}, {4000, true}}},
      {"endless", {.shownMs = 100, .hiddenMs = 100, .timeoutMs = kCaretBlinksForever},
       {{50, true}, {150, false}, {20050, true}, {20150, false}}},
  };
  // Each way back into blinking, after the timeout passed.
  static const std::function<void()> inputs[] = {
      [] { PressKey(kKeyBackspace); },  // edits without moving the caret
      [] { ClickItem(kExpressionItem); },
      [] {
        SetOffscreenForeground(0);
        SetOffscreenForeground(MainWindow());
      },
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Restart();
    PutFile("Langue.lng", "Defaut = Francais\r\n");
    SetOffscreenCaretBlink(row.rhythm);
    static int64_t wakeUps = 0;
    int64_t at = 5000;  // past the timeout of the blink begun at the start
    for (const std::function<void()>& input : inputs) {
      AtOffscreenTime(at, [&input] { input(); });
      for (const auto& [after, shown] : row.phases) {
        AtOffscreenTime(at + after, [shown, after] { EXPECT_EQ(expressionLine.caretShown, shown) << after; });
      }
      at += 30000;
      AtOffscreenTime(at - 5000, [] { wakeUps = OffscreenWakeUps(); });
      if (row.rhythm.timeoutMs != kCaretBlinksForever) {
        AtOffscreenTime(at - 10, [] { EXPECT_LE(OffscreenWakeUps() - wakeUps, 1); });
      }
    }
    AtOffscreenTime(at, [] { OffscreenRequestClose(MainWindow()); });
    ASSERT_TRUE(StartUp());
  }
}

// Typed texts are read as written, through the keys and the result key, in both angle modes: no
// number is cut short, a parenthesis multiplies, roots are real, degrees are exact, the answer
// word and the memories keep their exact values, and answers are exact where the true value is
// a fraction or a multiple of π.
TEST_F(CalculatorTest, TypedCalculationsReadAsWritten) {
  PutFile("Langue.lng", "Defaut = Francais\r\n");
  static const struct Row {
    const char16_t* typed;
    double answer;
    int32_t kind;
    bool inDegrees;
  } rows[] = {
      {u"2(3)", 6, 0, false},             {u"(1+2)(3+4)", 21, 0, false},  {u"racine(0)", 0, 0, false},
      {u"racine3(-8)", -2, 0, false},     {u"racinen(-32,5)", -2, 0, false}, {u"10%3", 0.3, 0, false},
      {u"1.6*10^-19", 1.6e-19, 0, false}, {u"rep*2", 3.2e-19, 0, false},
      // Exact where the mathematics is: each answer the true value rounded once.
      {u"1-0.9-0.1", 0, 0, false},        {u"100-99.99", 0.01, 0, false}, {u"(0.1+0.2)=0.3", 1, 0, false},
      {u"4.35*100", 435, 0, false},       {u"sin(pi)+cos(pi/2)", 0, 0, false}, {u"sin(100pi)", 0, 0, false},
      {u"tan(3pi/4)+sin(pi/6)", -0.5, 0, false}, {u"tan(pi/2)", 0, 5, false}, {u"1/sin(pi)", 0, 2, false},
      {u"e^100", 2.6881171418161356e43, 0, false}, {u"arrondi(3.14159,2)", 3.14, 0, false},
      {u"arrondi(2.675,2)", 2.68, 0, false}, {u"arrondi(1234.5,-2)", 1200, 0, false}, {u"arrondi(-2.5)", -3, 0, false},
      {u"arrondi(1,16)", 0, 5, false},    {u"arr(-5,9)", 0, 5, false},     {u"comb(2,1000)", 499500, 0, false},
      {u"racine (9/4)", 1.5, 0, false},   {u"3 sin (3)", 3 * Sine(3), 0, false}, {u"2*(+3)+2^+3", 14, 0, false},
      {u"1 ++1", 2, 0, false},            {u"foo(2)", 0, 4, false},        {u"2x3+12 x 12", 150, 0, false},
      {u"2x", 0, 0, false},               {u"1/3", 1.0 / 3, 0, false},     {u"rep*3", 1, 0, false},
      {u"0.1->a", 0.1, 0, false},         {u"a*3", 0.3, 0, false},
      {u"sin(180)+tan(45)", 1, 0, true},  {u"1,5", 0, 3, true},
  };
  int64_t at = 500;
  for (const Row& row : rows) {
    AtOffscreenTime(at, [&row] {
      if (row.inDegrees && anglesInRadians) ClickItem(kDegreesKey);
      OffscreenType(row.typed);
      PressKey(kKeyEnter);
    });
    AtOffscreenTime(at + 200, [&row] {
      const HistoryEntry& entry = historyList.entries[0];
      EXPECT_EQ(entry.errorKind, row.kind) << Utf16ToUtf8(row.typed);
      if (row.kind == 0) {
        EXPECT_EQ(entry.answer, row.answer) << Utf16ToUtf8(row.typed);
      }
      if (row.kind != 0) {  // a failed calculation stays on the line: the next row starts afresh
        expressionLine.text.clear();
        expressionLine.caret = expressionLine.anchor = 0;
      }
      if (row.typed == std::u16string_view(u"rep*2")) {
        EXPECT_EQ(entry.answer, 2 * historyList.entries[1].answer);  // every digit of the answer
      }
    });
    at += 500;
  }
  AtOffscreenTime(at, [] { OffscreenRequestClose(MainWindow()); });
  ASSERT_TRUE(StartUp());
}

// A memory letter filled by typing "->" keeps its value through a restart.
TEST_F(CalculatorTest, AStoredMemoryOutlivesTheRun) {
  PutFile("Langue.lng", "Defaut = Francais\r\n");
  AtOffscreenTime(500, [] {
    OffscreenType(u"7->b");
    PressKey(kKeyEnter);
  });
  AtOffscreenTime(1000, [] {
    EXPECT_EQ(Utf16ToUtf8(historyList.entries[0].expression), "7→b");
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
  EXPECT_NE(FileContent("Tornavelle.tvnp").find("[Memoires]\r\nb = 7\r\n"), std::string::npos);

  Restart();
  AtOffscreenTime(500, [] {
    OffscreenType(u"b+1");
    PressKey(kKeyEnter);
  });
  AtOffscreenTime(1000, [] {
    EXPECT_EQ(historyList.entries[0].answer, 8);
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
}

TEST_F(CalculatorTest, LosingTheDesktopStillSavesEverything) {
  PutFile("Langue.lng", "Defaut = Francais\r\n");
  AtOffscreenTime(500, [] {
    OffscreenType(u"6*7");
    PressKey(kKeyEnter);
    OffscreenType(u"1+2");
  });
  AtOffscreenTime(1000, [] {
    LoseOffscreenDesktop();
    const std::string saved = FileContent("Tornavelle.tvnp");
    for (const char* line : {"Operation = 1+2", "Reponse0Operation = 6×7", "Reponse0Valeur = 42", "Fenetre x = 764"})
      EXPECT_NE(saved.find(line), std::string::npos) << line << " in\n" << saved;
    EXPECT_NE(FileContent("Langue.lng").find("Defaut = Francais"), std::string::npos);
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
}

TEST_F(CalculatorTest, ASavedCornerIsMovedInSoThatTheWholeWindowIsOnAMonitor) {
  struct Case {
    const char* what;
    int32_t savedX, savedY;
    std::vector<Monitor> monitors;
    int32_t x, y;
    std::vector<Monitor> workAreas = {};
  } cases[] = {
      {"the first run's default", -10000, -10000, {{0, 0, 1920, 1080}}, 764, 213},
      {"a corner that fits", 0, 0, {{0, 0, 1920, 1080}}, 0, 0},
      {"one pixel out on the right", 1920 - 392 + 1, 10, {{0, 0, 1920, 1080}}, 1920 - 392, 10},
      {"half off the top left", -196, -300, {{0, 0, 1920, 1080}}, 0, 0},
      {"under a bottom panel", 100, 1080 - 654, {{0, 0, 1920, 1080}}, 100, 1040 - 654, {{0, 0, 1920, 1040}}},
      {"across two monitors, mostly on the second", 1800, 100, {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}, 1920, 100},
      {"exactly to the bottom right", 1920 - 392, 1080 - 654, {{0, 0, 1920, 1080}}, 1528, 426},
      {"a second monitor", 2000, 100, {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}}, 2000, 100},
      {"a monitor no longer there", 2000, 100, {{0, 0, 1920, 1080}}, 764, 213},
      {"no monitor reported", 0, 0, {}, 764, 213},
  };
  for (const Case& c : cases) {
    fs::remove("Tornavelle.tvnp");
    PutFile("Langue.lng", "Defaut = Francais\r\n");
    PutFile("Tornavelle.tvnp", "[Apparence]\r\nFenetre x = " + std::to_string(c.savedX) +
                                   "\r\nFenetre y = " + std::to_string(c.savedY) + "\r\n");
    Restart();
    SetOffscreenMonitors(c.monitors.empty() ? std::vector<Monitor>{{0, 0, 1920, 1080}} : c.monitors);
    if (!c.workAreas.empty()) SetOffscreenWorkAreas(c.workAreas);
    AtOffscreenTime(100, [&c] {
      if (c.monitors.empty()) {
        SetOffscreenMonitors({});
        MoveSkinWindow(0, 764, 213);
        RestoreWindowPosition();
      }
      int32_t x = 0, y = 0;
      GetWindowPosition(MainWindow(), &x, &y);
      EXPECT_EQ(x, c.x) << c.what;
      EXPECT_EQ(y, c.y) << c.what;
      OffscreenRequestClose(MainWindow());
    });
    ASSERT_TRUE(StartUp());
  }
}

// A skin at the desktop's scale taller or wider than the work area opens at the largest scale
// that fits, centred there; a move to a monitor of a higher scale too small for it does the same.
TEST_F(CalculatorTest, TheWindowTakesTheLargestScaleThatFitsTheScreen) {
  struct Case {
    double desktopScale;
    Monitor monitor, workArea;
    int32_t width, height;
  } cases[] = {
      {1.25, {0, 0, 1366, 768}, {0, 0, 1366, 738}, 392, 654},     // 490 × 818 does not fit
      {1.25, {0, 0, 1366, 900}, {0, 0, 1366, 870}, 490, 818},     // it does here
      {2, {0, 0, 1920, 1080}, {0, 0, 1920, 1040}, 588, 981},      // 1.5, not 2 or 1.75
      {2, {0, 0, 3840, 2160}, {0, 0, 3840, 2120}, 784, 1308},
      {1, {0, 0, 800, 600}, {0, 0, 800, 600}, 392, 654},          // never below 1
      {2, {0, 0, 1080, 1920}, {0, 40, 1080, 1880}, 784, 1308},    // a portrait screen
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    fs::remove("Tornavelle.tvnp");
    PutFile("Langue.lng", "Defaut = Francais\r\n");
    Restart();
    SetOffscreenScale(c.desktopScale);
    SetOffscreenMonitors({c.monitor});
    SetOffscreenWorkAreas({c.workArea});
    AtOffscreenTime(100, [&c] {
      int32_t x = 0, y = 0, width = 0, height = 0;
      GetWindowPosition(MainWindow(), &x, &y);
      GetWindowClientSize(MainWindow(), &width, &height);
      EXPECT_EQ(std::pair(width, height), std::pair(c.width, c.height));
      EXPECT_EQ(lineImage.width, SkinItemWidth(kExpressionItem));
      // Whole on the work area.
      EXPECT_GE(y, c.workArea.y);
      EXPECT_LE(y + height, c.workArea.y + std::max(c.workArea.height, height));
      // Moved to a monitor of scale 3, it keeps the largest scale that fits there.
      MoveOffscreenWindowToScale(MainWindow(), 3);
    });
    AtOffscreenTime(200, [&c] {
      int32_t width = 0, height = 0;
      GetWindowClientSize(MainWindow(), &width, &height);
      EXPECT_LE(height, std::max(c.workArea.height, 654));
      OffscreenRequestClose(MainWindow());
    });
    ASSERT_TRUE(StartUp());
  }
}

// The settings of a run at 1 open at 2 with the window's corner where it was, in screen
// pixels; then the window moves to a monitor at 1.5 and is drawn again there: same captions,
// line, history and selection, the displays at their new sizes, and the point under the
// pointer still under it.
TEST_F(CalculatorTest, OpensAtTheDesktopsScaleAndFollowsAMoveToAnotherScale) {
  PutFile("Langue.lng", "Defaut = Francais\r\n");
  PutFile("Tornavelle.tvnp", "[Apparence]\r\nFenetre x = 100\r\nFenetre y = 50\r\n");
  SetOffscreenScale(2);
  SetOffscreenMonitors({{0, 0, 3840, 2160}});  // a 4K screen, where the window fits at 2
  static std::u16string caption;
  AtOffscreenTime(100, [] {
    caption = FindSkinItem(kResultItem)->text;
    int32_t x = 0, y = 0, width = 0, height = 0;
    GetWindowPosition(MainWindow(), &x, &y);
    GetWindowClientSize(MainWindow(), &width, &height);
    EXPECT_EQ(std::pair(x, y), std::pair(100, 50));
    EXPECT_EQ(std::pair(width, height), std::pair(784, 1308));
    OffscreenType(u"1/3");
    PressKey(kKeyEnter);
    OffscreenType(u"2+");
  });
  AtOffscreenTime(200, [] {
    OffscreenMoveMouse(100 + 392, 50 + 654);  // the middle of the window at 2
    MoveOffscreenWindowToScale(MainWindow(), 1.5);
  });
  AtOffscreenTime(300, [] {
    int32_t x = 0, y = 0, width = 0, height = 0;
    GetWindowPosition(MainWindow(), &x, &y);
    GetWindowClientSize(MainWindow(), &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(588, 981));
    // The pointer was 392 and 654 pixels in at 2: 294 and 490.5 at 1.5.
    EXPECT_EQ(std::pair(x, y), std::pair(492 - 294, 704 - 491));
    EXPECT_EQ(lineImage.width, SkinItemWidth(kExpressionItem));
    EXPECT_EQ(historyImage.height, SkinItemHeight(kHistoryItem));
    EXPECT_EQ(expressionLine.text, u"2+");
    EXPECT_EQ(FindSkinItem(kResultItem)->text, caption);
    EXPECT_FALSE(caption.empty());
    EXPECT_EQ(GetSkinItemState(kRadiansKey), 1);
    EXPECT_EQ(GetSkinItemState(kExpressionItem), 1);
    // Moved back to a monitor at 2 with the pointer away: the corner stays.
    OffscreenMoveMouse(0, 0);
    MoveOffscreenWindowToScale(MainWindow(), 2);
  });
  AtOffscreenTime(400, [] {
    int32_t x = 0, y = 0, width = 0, height = 0;
    GetWindowPosition(MainWindow(), &x, &y);
    GetWindowClientSize(MainWindow(), &width, &height);
    EXPECT_EQ(std::pair(x, y), std::pair(492 - 294, 704 - 491));
    EXPECT_EQ(std::pair(width, height), std::pair(784, 1308));
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
  // The corner is saved where the window is, in screen pixels.
  EXPECT_NE(FileContent("Tornavelle.tvnp").find("Fenetre x = "), std::string::npos);
}

TEST_F(CalculatorTest, ASkinThatCannotOpenIsReportedAndTheProgramEnds) {
  // The name is quoted as the settings give it, up to a length that any real name stays under.
  // Each skin tried says what is wrong with it: the named one when it could be a folder's name, then the shipped one.
  const std::string missingFolder = " : ce dossier n’existe pas.\n";
  struct Case { std::string name; std::string quoted; std::string problem; } cases[] = {
      {"Bleu", "Bleu", NativePath("Apparence\\Bleu") + missingFolder},
      {std::string(100, 'b'), std::string(100, 'b'), NativePath("Apparence\\" + std::string(100, 'b')) + missingFolder},
      {std::string(10'000'000, 'b'), std::string(100, 'b') + "…", ""},
      {std::string(99, 'b') + "\xF0\x9F\x98\x80", std::string(99, 'b') + "…", ""},  // never half a character
  };
  fs::remove("Apparence/Defaut/Item.png");
  PutFile("Langue.lng", "Defaut = Francais\r\n");
  for (const Case& c : cases) {
    Restart();
    PutFile("Tornavelle.tvnp", "\xEF\xBB\xBF[Apparence]\r\nApparence = " + c.name + "\r\n[Calcul]\r\nOperation = 1+1\r\n");
    ASSERT_TRUE(StartUp());
    ASSERT_EQ(OffscreenMessageBoxes().size(), 1u);
    EXPECT_EQ(OffscreenMessageBoxes()[0].title, u"Tornavelle");
    EXPECT_EQ(Utf16ToUtf8(OffscreenMessageBoxes()[0].text),
              "L’apparence «\u00A0" + c.quoted + "\u00A0» n’a pas pu être ouverte.\n" + c.problem +
                  NativePath("Apparence\\Defaut\\Item.png") +
                  " : ce fichier est introuvable.\nLe dossier Apparence du programme est introuvable ou incomplet.")
        << c.name.size();
    EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
    const std::string saved = FileContent("Tornavelle.tvnp");
    EXPECT_NE(saved.find("Apparence = Defaut"), std::string::npos) << saved.substr(0, 200);
    EXPECT_NE(saved.find("Operation = 1+1"), std::string::npos) << saved.substr(0, 200);
  }
}

}  // namespace
