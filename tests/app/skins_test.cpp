// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing a skin from the skin menu, the fallback to the shipped skin, and the "?" submenu,
// on the whole calculator from StartUp to its exit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "../support/calculator_parts.h"
#include "../support/temp_folder.h"
#include "app/items.h"
#include "app/menus.h"
#include "app/skins.h"
#include "engine/evaluator.h"
#include "platform/files.h"
#include "platform/input.h"
#include "settings/settings.h"
#include "skin/item_colours.h"

namespace {

namespace fs = std::filesystem;

class SkinsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetOffscreen();
    ResetApp();
    fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Lng-Tornavelle", "Lng-Tornavelle");
    fs::copy(fs::path(TORNAVELLE_DATA_DIR) / "Apparence", "Apparence", fs::copy_options::recursive);
    // A skin of the user's own, and one that cannot show the calculator.
    fs::copy("Apparence/Defaut", "Apparence/Perso");
    fs::create_directory("Apparence/Casse");
    PutFile("Apparence/Casse/Normal.png", "not a picture");
    PutFile("Langue.lng", "Defaut = Francais\r\n");
  }
  void TearDown() override { ResetApp(); }
  TempWorkingFolder folder;
};

void Restart() {
  ResetOffscreen();
  ResetApp();
}

WindowHandle MainWindow() { return SkinWindowHandle(0); }

// The skin menu as lines: submenus as "[title]", entries as their text, "✓" before a checked one.
std::vector<std::string> SkinMenuLines() {
  std::vector<std::string> lines;
  for (const OffscreenMenuItem& submenu : OffscreenMenu(kSkinMenu).value_or(std::vector<OffscreenMenuItem>{})) {
    lines.push_back("[" + Utf16ToUtf8(submenu.text) + "]");
    for (const OffscreenMenuItem& entry : submenu.children)
      lines.push_back((entry.checked ? "✓" : " ") + Utf16ToUtf8(entry.text));
  }
  return lines;
}

// The command of the skin menu's entry with that text, 0 for none.
int32_t SkinMenuCommand(const std::u16string& text) {
  for (const OffscreenMenuItem& submenu : OffscreenMenu(kSkinMenu).value_or(std::vector<OffscreenMenuItem>{}))
    for (const OffscreenMenuItem& entry : submenu.children)
      if (entry.text == text) return entry.command;
  return 0;
}

bool Checked(const std::u16string& text) {
  for (const OffscreenMenuItem& submenu : OffscreenMenu(kSkinMenu).value_or(std::vector<OffscreenMenuItem>{}))
    for (const OffscreenMenuItem& entry : submenu.children)
      if (entry.text == text) return entry.checked;
  return false;
}

// Opens the skin menu as a user does, with a right click on the history panel, and chooses
// the entry (none: the menu is dismissed, having been built again to be shown).
void ChooseFromSkinMenu(const std::u16string& entry) {
  const int32_t command = entry.empty() ? 0 : SkinMenuCommand(entry);
  ASSERT_TRUE(entry.empty() || command != 0) << Utf16ToUtf8(entry);
  ScriptMenuChoice(command);
  int32_t x = 0, y = 0;
  ASSERT_TRUE(ItemCentreOnScreen(kHistoryItem, &x, &y));
  OffscreenClick(x, y, MouseButton::kRight);
}

TEST_F(SkinsTest, TheSkinMenuListsTheSkinsAndTheQuestionMarkSubmenu) {
  fs::create_directory("Apparence/.cache");  // hidden: no skin
  // Names the settings file could not keep exactly, so the next start would not find them.
#ifndef _WIN32
  for (const char* unkept : {"Apparence/Blanc ", "Apparence/ Blanc", "Apparence/Latin\xE9"})
    fs::copy("Apparence/Defaut", unkept);
#endif
  AtOffscreenTime(500, [] {
    EXPECT_EQ(SkinMenuLines(), (std::vector<std::string>{
                                   "[Apparence]", " Casse", " Clair", " Contraste", "✓Defaut", " Perso",
                                   "[?]", " À propos de Tornavelle", " Toujours visible"}));
    ChooseFromSkinMenu(u"À propos de Tornavelle");
  });
  AtOffscreenTime(1000, [] {
    ASSERT_EQ(OffscreenMessageBoxes().size(), 1u);
    const OffscreenMessageBox about = OffscreenMessageBoxes()[0];
    EXPECT_EQ(about.title, u"À propos de Tornavelle");
    EXPECT_EQ(about.owner, MainWindow());
    const std::string text = Utf16ToUtf8(about.text);
    EXPECT_EQ(text.rfind("Tornavelle\nVersion 1.0.0\n\n© 2026", 0), 0u) << text;
    EXPECT_NE(text.find("licence publique générale GNU, version 3"), std::string::npos) << text;
    EXPECT_NE(text.find("double précision"), std::string::npos) << text;
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
}

TEST_F(SkinsTest, ASwitchKeepsTheLineTheHistoryTheModeAndThePlaceAndOutlivesTheRun) {
  static WindowHandle before = 0;
  AtOffscreenTime(500, [] {
    OffscreenType(u"1+2");
    OffscreenPressKey(kKeyEnter);
    OffscreenType(u"3*4");
    OffscreenPressKey(kKeyLeft);
    int32_t x = 0, y = 0;
    ASSERT_TRUE(ItemCentreOnScreen(kDegreesKey, &x, &y));
    OffscreenClick(x, y);
    MoveSkinWindow(0, 100, 50);
    before = MainWindow();
  });
  // The low-vision skin, whose displays have fonts of other sizes.
  AtOffscreenTime(1000, [] { ChooseFromSkinMenu(u"Contraste"); });
  AtOffscreenTime(1500, [] {
    ASSERT_NE(MainWindow(), before);
    EXPECT_FALSE(IsWindowOpen(before));
    const OffscreenWindowInfo info = GetOffscreenWindowInfo(MainWindow()).value();
    EXPECT_TRUE(info.shown);
    EXPECT_EQ(info.x, 100);
    EXPECT_EQ(info.y, 50);
    EXPECT_EQ(expressionLine.text, u"3×4");
    EXPECT_EQ(expressionLine.caret, 2);
    ASSERT_EQ(historyList.entries.size(), 2u);
    EXPECT_EQ(historyList.entries[0].answer, 3);
    EXPECT_EQ(anglesInRadians, 0);
    EXPECT_EQ(GetSkinItemState(kDegreesKey), 1);
    EXPECT_EQ(FindSkinItem(kResultKey)->text, u"=");
    EXPECT_TRUE(FindSkinItem(kHistoryItem)->picture.has_value());
    EXPECT_TRUE(FindSkinItem(kExpressionItem)->picture.has_value());
    EXPECT_EQ(OffscreenMessageBoxes().size(), 0u);
    // The new window takes keys and clicks as the old one did.
    OffscreenType(u"5");
    int32_t x = 0, y = 0;
    ASSERT_TRUE(ItemCentreOnScreen(kResultKey, &x, &y));
    OffscreenClick(x, y);
  });
  AtOffscreenTime(2000, [] {
    EXPECT_EQ(historyList.entries[0].expression, u"3×54");
    ChooseFromSkinMenu(u"");
  });
  AtOffscreenTime(2500, [] {
    EXPECT_TRUE(Checked(u"Contraste"));
    EXPECT_FALSE(Checked(u"Defaut"));
    FinishSettingsSaves();
    EXPECT_NE(FileContent("Tornavelle.tvnp").find("Apparence = Contraste\r\n"), std::string::npos);
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());

  // The next run opens the chosen skin, in its place.
  Restart();
  AtOffscreenTime(500, [] {
    EXPECT_TRUE(Checked(u"Contraste"));
    int32_t x = 0, y = 0;
    GetWindowPosition(MainWindow(), &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(OffscreenMessageBoxes().size(), 0u);
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
}

// A skin named by the settings that cannot be opened, however it fails, gives one message and
// the shipped skin; naming none, or the shipped one, gives no message.
TEST_F(SkinsTest, ASkinThatCannotOpenAtStartUpGivesWayToTheShippedOne) {
  struct Case {
    std::string name;
    bool message;
    std::string problem;  // the line that says what is wrong, where a file is to blame
  } cases[] = {
      {"Defaut", false, ""},
      {"", false, ""},
      {"Absente", true, NativePath("Apparence\\Absente") + " : ce dossier n’existe pas."},
      {"Casse", true, NativePath("Apparence\\Casse\\Normal.png") + " : ce fichier n’est pas une image PNG lisible."},
      {"../Apparence/Defaut", true, ""},  // outside Apparence: never opened
      {"..\\Apparence\\Perso", true, ""},
      {"Sans", true, NativePath("Apparence\\Sans\\Item.png") + " : cette carte des touches en contient trop."},
  };
  fs::copy("Apparence/Defaut", "Apparence/Sans");
  fs::remove("Apparence/Sans/Item.png");  // MinGW's copy refuses to overwrite
  fs::copy_file("Apparence/Defaut/Normal.png", "Apparence/Sans/Item.png");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    PutFile("Tornavelle.tvnp", "\xEF\xBB\xBF[Apparence]\r\nApparence = " + c.name + "\r\n[Calcul]\r\nOperation = 1+1\r\n");
    AtOffscreenTime(500, [] { OffscreenRequestClose(MainWindow()); });
    ASSERT_TRUE(StartUp());
    ASSERT_EQ(OffscreenMessageBoxes().size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(Utf16ToUtf8(OffscreenMessageBoxes()[0].text),
                "L’apparence «\u00A0" + c.name + "\u00A0» n’a pas pu être ouverte.\n" +
                    (c.problem.empty() ? "" : c.problem + "\n") + "Tornavelle reprend l’apparence Defaut.");
      // The calculator, in the shipped skin, is on the screen under the message.
      EXPECT_TRUE(OffscreenMessageBoxes()[0].ownerShown);
    }
    // The window was shown and the program ran to its normal exit.
    EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
    const std::string saved = FileContent("Tornavelle.tvnp");
    EXPECT_NE(saved.find("Apparence = Defaut\r\n"), std::string::npos) << saved.substr(0, 200);
    EXPECT_NE(saved.find("Operation = 1+1"), std::string::npos);
  }
}

TEST_F(SkinsTest, ASkinThatCannotOpenFromTheMenuLosesNothing) {
  PutFile("Tornavelle.tvnp", "\xEF\xBB\xBF[Apparence]\r\nApparence = Perso\r\n");
  static WindowHandle before = 0;
  AtOffscreenTime(500, [] {
    OffscreenType(u"7*6");
    before = MainWindow();
    ChooseFromSkinMenu(u"Casse");
  });
  AtOffscreenTime(1000, [] {
    ASSERT_EQ(OffscreenMessageBoxes().size(), 1u);
    EXPECT_EQ(Utf16ToUtf8(OffscreenMessageBoxes()[0].text),
              "L’apparence «\u00A0Casse\u00A0» n’a pas pu être ouverte.\n" + NativePath("Apparence\\Casse\\Normal.png") +
                  " : ce fichier n’est pas une image PNG lisible.\nTornavelle reprend l’apparence Defaut.");
    EXPECT_TRUE(OffscreenMessageBoxes()[0].ownerShown);
    EXPECT_EQ(OffscreenMessageBoxes()[0].owner, MainWindow());
    EXPECT_NE(MainWindow(), before);
    EXPECT_EQ(appSettings.skinName, u"Defaut");
    EXPECT_EQ(expressionLine.text, u"7×6");
    EXPECT_TRUE(GetOffscreenWindowInfo(MainWindow()).value().shown);
    // From the shipped skin, a broken one leaves the window as it is.
    before = MainWindow();
    PutFile("Apparence/Perso/Item.png", "");
    ChooseFromSkinMenu(u"Perso");
  });
  AtOffscreenTime(1500, [] {
    ASSERT_EQ(OffscreenMessageBoxes().size(), 2u);
    EXPECT_EQ(Utf16ToUtf8(OffscreenMessageBoxes()[1].text), "L’apparence «\u00A0Perso\u00A0» n’a pas pu être ouverte.\n" +
                                                                NativePath("Apparence\\Perso\\Item.png") +
                                                                " : ce fichier n’est pas une image PNG lisible.");
    EXPECT_TRUE(OffscreenMessageBoxes()[1].ownerShown);
    EXPECT_EQ(MainWindow(), before);
    EXPECT_EQ(appSettings.skinName, u"Defaut");
    OffscreenPressKey(kKeyEnter);
  });
  AtOffscreenTime(2000, [] {
    EXPECT_EQ(historyList.entries[0].answer, 42);
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
  EXPECT_EQ(OffscreenExitCodes(), std::vector<int32_t>{0});
}

TEST_F(SkinsTest, AlwaysOnTopIsAppliedAtOnceAndSaved) {
  AtOffscreenTime(500, [] {
    EXPECT_FALSE(GetOffscreenWindowInfo(MainWindow()).value().alwaysOnTop);
    ChooseFromSkinMenu(u"Toujours visible");
  });
  AtOffscreenTime(1000, [] {
    EXPECT_TRUE(GetOffscreenWindowInfo(MainWindow()).value().alwaysOnTop);
    FinishSettingsSaves();
    EXPECT_NE(FileContent("Tornavelle.tvnp").find("Fenetre_ToujoursVisible = 1\r\n"), std::string::npos);
    ChooseFromSkinMenu(u"");
  });
  AtOffscreenTime(1200, [] {
    EXPECT_TRUE(Checked(u"Toujours visible"));
    // A new skin's window stays on top too.
    ChooseFromSkinMenu(u"Perso");
  });
  AtOffscreenTime(1500, [] {
    EXPECT_TRUE(GetOffscreenWindowInfo(MainWindow()).value().alwaysOnTop);
    ChooseFromSkinMenu(u"Toujours visible");
  });
  AtOffscreenTime(2000, [] {
    EXPECT_FALSE(GetOffscreenWindowInfo(MainWindow()).value().alwaysOnTop);
    FinishSettingsSaves();
    EXPECT_NE(FileContent("Tornavelle.tvnp").find("Fenetre_ToujoursVisible = 0\r\n"), std::string::npos);
    OffscreenRequestClose(MainWindow());
  });
  ASSERT_TRUE(StartUp());
}

}  // namespace
