// SPDX-License-Identifier: GPL-3.0-or-later
// The ways a run of the calculator ends besides the quit key (the system's request to end, the
// session or the desktop going), the saves that follow each calculation, and one copy per
// folder: each seen from StartUp to the exit on the offscreen backend, through the files left.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "../support/calculator_parts.h"
#include "../support/temp_folder.h"
#include "app/event_loop.h"
#include "app/items.h"
#include "app/menus.h"
#include "app/startup.h"
#include "platform/input.h"
#include "platform/unicode.h"
#include "settings/settings.h"
#include "settings/text_table.h"
#include "skin/item_colours.h"

namespace {

namespace fs = std::filesystem;

class SessionEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetOffscreen();
    ResetApp();
    fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Lng-Tornavelle", "Lng-Tornavelle");
    fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Apparence", "Apparence", fs::copy_options::recursive);
    PutFile("Langue.lng", "Defaut = Francais\r\n");
  }
  void TearDown() override { ResetApp(); }
  TempWorkingFolder folder;
};

void ExpectLines(const std::string& text, const std::vector<std::string>& lines) {
  for (const std::string& line : lines)
    EXPECT_NE(text.find(line + "\r\n"), std::string::npos) << line << " in\n" << text;
}

// The function key, by its colour in the shipped skin.
constexpr int32_t kFunctionKey = kFunctionMenuKey;

TEST_F(SessionEndTest, ATerminationSignalEndsAsTheQuitKeyDoes) {
  struct Case {
    const char* what;
    std::function<void()> end;
  } cases[] = {
      {"between two keys", OffscreenRequestEnd},
      // As the function menu opens, with an entry about to be chosen: the menu is closed, not
      // waited on, and nothing of it reaches the line.
      {"as a menu opens", [] {
         ScriptMenuChoice(1);
         OffscreenRequestEnd();
         HandleItemClick(kFunctionKey);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove("Tornavelle.tvnp");
    ResetOffscreen();
    ResetApp();
    AtOffscreenTime(500, [] {
      OffscreenType(u"6*7");
      OffscreenPressKey(kKeyEnter);
      OffscreenType(u"1+2");
    });
    AtOffscreenTime(1000, c.end);
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
    for (const OffscreenShownMenu& menu : OffscreenShownMenus()) EXPECT_EQ(menu.chosen, 0);
    ExpectLines(FileContent("Tornavelle.tvnp"),
                {"Operation = 1+2", "Reponse0Operation = 6×7", "Reponse0Valeur = 42", "Fenetre x = 764"});
    EXPECT_NE(FileContent("Langue.lng").find("Defaut = Francais"), std::string::npos);
  }
}

TEST_F(SessionEndTest, ACalculationIsSavedAtTheNextQuietMomentAsTheExitWouldSaveIt) {
  std::string afterCalculation, afterAngle, afterBurst, afterMove, afterStore;
  AtOffscreenTime(500, [] {
    OffscreenType(u"2^10");
    OffscreenPressKey(kKeyEnter);
  });
  AtOffscreenTime(1000, [&] {
    FinishSettingsSaves();
    afterCalculation = FileContent("Tornavelle.tvnp");
    HandleItemClick(kDegreesKey);
  });
  AtOffscreenTime(1500, [&] {
    FinishSettingsSaves();
    afterAngle = FileContent("Tornavelle.tvnp");
    // Input that waits behind the calculation is handled before the save: it is saved with it.
    OffscreenType(u"3-1");
    OffscreenPressKey(kKeyEnter);
    OffscreenType(u"5");
  });
  AtOffscreenTime(2000, [&] {
    FinishSettingsSaves();
    afterBurst = FileContent("Tornavelle.tvnp");
    // Typing alone is not worth a save: the file stays as it was.
    OffscreenType(u"6");
  });
  AtOffscreenTime(2500, [&] {
    FinishSettingsSaves();
    EXPECT_EQ(FileContent("Tornavelle.tvnp"), afterBurst);
    OffscreenPressKey(kKeyBackspace);
    // The window dragged by its history panel: saved once it comes to rest, not on the way.
    const SkinItem* panel = FindSkinItem(kHistoryItem);
    int32_t x = 0, y = 0;
    GetWindowPosition(SkinWindowHandle(0), &x, &y);
    x += (panel->left + panel->right) / 2;
    y += (panel->top + panel->bottom) / 2;
    OffscreenMoveMouse(x, y);
    OffscreenPressButton(MouseButton::kLeft);
    OffscreenMoveMouse(x - 60, y - 10);
  });
  AtOffscreenTime(2800, [&] {
    FinishSettingsSaves();
    EXPECT_EQ(FileContent("Tornavelle.tvnp"), afterBurst);
    OffscreenReleaseButton(MouseButton::kLeft);
  });
  AtOffscreenTime(3000, [&] {
    FinishSettingsSaves();
    afterMove = FileContent("Tornavelle.tvnp");
    HandleMenuCommand(77);  // the latest answer stored in b, through the function menu
  });
  // Called directly, the command woke nothing: the loop's next wake, the caret's next phase (at
  // most 800 ms after the release), is its quiet moment.
  AtOffscreenTime(3700, [&] {
    FinishSettingsSaves();
    afterStore = FileContent("Tornavelle.tvnp");
    OffscreenRequestClose(SkinWindowHandle(0));
  });
  ASSERT_TRUE(StartUp());
  ExpectLines(afterCalculation, {"Reponse0Operation = 2^10", "Reponse0Valeur = 1024", "Mode = 1", "Operation = "});
  ExpectLines(afterAngle, {"Reponse0Operation = 2^10", "Mode = 2"});
  ExpectLines(afterBurst, {"Reponse0Operation = 3−1", "Reponse1Operation = 2^10", "Operation = 5"});
  ExpectLines(afterMove, {"Fenetre x = 704", "Fenetre y = 203", "Operation = 5"});
  ExpectLines(afterStore, {"[Memoires]", "b = 2"});
  // Nothing changed since the last save: the exit writes the very same bytes.
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), afterStore);
}

// A save the disk refuses is owed: the user is told once, by the calculator's message naming the
// folder and the reason, and the save is tried again without any input once space is back; at
// the exit, the user chooses between trying again and quitting without saving.
TEST_F(SessionEndTest, AFailedSaveIsToldOnceAndTriedAgainUntilItSucceeds) {
  if (!FullDiskSimulation::Available()) GTEST_SKIP() << "no full disk can be simulated here";
  static std::optional<FullDiskSimulation> full;
  auto calculate = [](const char16_t* text) {
    OffscreenType(text);
    OffscreenPressKey(kKeyEnter);
  };
  std::string whileFull, afterSpaceBack;
  AtOffscreenTime(500, [&] { calculate(u"1+1"); });
  AtOffscreenTime(1000, [&] {
    FinishSettingsSaves();
    full.emplace(64);  // the disk is full: no settings file fits
    calculate(u"3+3");
  });
  AtOffscreenTime(2000, [&] { calculate(u"4+4"); });
  AtOffscreenTime(3000, [&] {
    FinishSettingsSaves();
    whileFull = FileContent("Tornavelle.tvnp");
    full.reset();
  });
  AtOffscreenTime(13000, [&] {
    FinishSettingsSaves();
    afterSpaceBack = FileContent("Tornavelle.tvnp");
    full.emplace(64);
    calculate(u"5+5");
    OffscreenRequestClose(SkinWindowHandle(0));
  });
  QueueOffscreenQuestionAnswer(true);   // try again: the disk is still full
  QueueOffscreenQuestionAnswer(false);  // quit without saving
  ASSERT_TRUE(StartUp());
  full.reset();
  EXPECT_EQ(whileFull.find("3+3"), std::string::npos);
  ExpectLines(whileFull, {"Reponse0Operation = 1+1"});
  ExpectLines(afterSpaceBack, {"Reponse0Operation = 4+4", "Reponse1Operation = 3+3", "Reponse2Operation = 1+1"});
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), afterSpaceBack);
  // Quitting without saving is no success.
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{1});
  const std::vector<OffscreenMessageBox> shown = OffscreenMessageBoxes();
  ASSERT_EQ(shown.size(), 3u);  // told once while running, asked twice at the exit
  const std::u16string where = TextOf(kSaveFailedText) + Utf8ToUtf16(folder.path.string()) + u"\n" + TextOf(kDiskFullText);
  for (const OffscreenMessageBox& box : shown) {
    EXPECT_EQ(box.title, TextOf(kSaveFailedTitle));
    EXPECT_EQ(box.text.substr(0, where.size()), where) << Utf16ToUtf8(box.text);
  }
  EXPECT_NE(shown[0].text.find(TextOf(kSaveRetriedText)), std::u16string::npos);
  EXPECT_NE(shown[2].text.find(TextOf(kQuitUnsavedText)), std::u16string::npos);
}

TEST_F(SessionEndTest, ASecondStartInTheFolderBringsTheFirstToTheFront) {
  const std::string settings = "[Calcul]\r\nReponse0Operation = 1+1\r\nReponse0Valeur = 2\r\n";
  PutFile("Tornavelle.tvnp", settings);
  // The second start: it asks the running copy to the front and ends, touching nothing.
  SetOffscreenOtherCopyRunning(true);
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
  EXPECT_EQ(OffscreenFrontRequests(), 1);
  EXPECT_TRUE(OffscreenWindows().empty());
  EXPECT_TRUE(OffscreenShownDialogs().empty());
  EXPECT_EQ(FileContent("Tornavelle.tvnp"), settings);
  EXPECT_EQ(FileContent("Langue.lng"), "Defaut = Francais\r\n");

  // The running copy is on another display (or in another session), where this start's user
  // could not see it: it is not raised, and this start says where it is, then fails.
  for (const std::u16string display : {u":0", u""}) {
    ResetOffscreen();
    ResetApp();
    PutFile("Langue.lng", "Defaut = English\r\n");
    SetOffscreenOtherCopyRunning(true, true, display);
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{kExitOpenElsewhere});
    EXPECT_EQ(OffscreenFrontRequests(), 0);
    EXPECT_TRUE(OffscreenWindows().empty());
    ASSERT_EQ(OffscreenMessageBoxes().size(), 1u);
    EXPECT_EQ(OffscreenMessageBoxes()[0].text,
              display.empty() ? u"Tornavelle is already open with this folder in another Windows session."
                              : u"Tornavelle is already open with this folder on display :0");
    EXPECT_EQ(FileContent("Tornavelle.tvnp"), settings);
  }

  // The running copy, behind another program's window, when the program is started again.
  ResetOffscreen();
  ResetApp();
  AtOffscreenTime(500, [] {
    EXPECT_TRUE(OffscreenFolderClaimed());
    SetOffscreenForeground(0);
    OffscreenStartAgain();
  });
  AtOffscreenTime(1000, [] {
    EXPECT_EQ(ForegroundWindow(), SkinWindowHandle(0));
    OffscreenRequestClose(SkinWindowHandle(0));
  });
  ASSERT_TRUE(StartUp());
  EXPECT_FALSE(OffscreenFolderClaimed());  // given up once saved
}

TEST_F(SessionEndTest, TheLanguageChangeGivesTheFolderUpBeforeItsNewCopyStarts) {
  fs::remove("Langue.lng");
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kPressOk, u"English"});
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenNewCopies(), 1);
  EXPECT_EQ(OffscreenNewCopiesStartedWhileClaimed(), 0);

  // No new copy could be started: this one goes on with the choice, holding the folder again.
  fs::remove("Langue.lng");
  ResetOffscreen();
  ResetApp();
  SetOffscreenNewCopyFails(true);
  ScriptLanguageDialog({OffscreenDialogAnswer::Action::kPressOk, u"English"});
  AtOffscreenTime(500, [] {
    EXPECT_TRUE(OffscreenFolderClaimed());
    OffscreenRequestClose(SkinWindowHandle(0));
  });
  ASSERT_TRUE(StartUp());
  EXPECT_NE(FileContent("Langue.lng").find("Defaut = English"), std::string::npos);
}

TEST_F(SessionEndTest, AnEndAskedForBeforeTheWindowOpensKeepsTheFilesAsTheyWere) {
  const std::string settings = "[Calcul]\r\nReponse0Operation = 1+1\r\nReponse0Valeur = 2\r\nMode = 2\r\n";
  struct Case {
    const char* what;
    const char* language;  // Langue.lng, or nullptr for none
    bool saves;            // the settings file is rewritten (with what it held)
  } cases[] = {
      // The dialog closes, and with no language known the program ends.
      {"no language chosen yet", nullptr, false},
      // The dialog closes, the language is known: the settings are read and saved as read.
      {"a language whose file is missing", "Defaut = Klingon\r\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PutFile("Tornavelle.tvnp", settings);
    fs::remove("Langue.lng");
    if (c.language) PutFile("Langue.lng", c.language);
    ResetOffscreen();
    ResetApp();
    OffscreenRequestEnd();
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
    EXPECT_TRUE(OffscreenWindows().empty());
    EXPECT_EQ(OffscreenShownDialogs().size(), 1u);
    const std::string now = FileContent("Tornavelle.tvnp");
    if (c.saves) {
      ExpectLines(now, {"Reponse0Operation = 1+1", "Reponse0Valeur = 2", "Mode = 2"});
    } else {
      EXPECT_EQ(now, settings);
    }
  }
}

}  // namespace
