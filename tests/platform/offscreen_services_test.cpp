// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/menus.h"
#include "platform/offscreen/offscreen.h"
#include "platform/process.h"
#include "platform/unicode.h"

namespace {

class OffscreenServices : public ::testing::Test {
 protected:
  void SetUp() override { ResetOffscreen(); }
};

using Answer = OffscreenDialogAnswer;

TEST_F(OffscreenServices, LanguageDialogAnswersAsScripted) {
  const std::vector<std::u16string> items = {u"Deutsch", u"English", u"Francais"};
  struct Case {
    const char* name;
    std::optional<Answer> answer;  // nullopt: nothing scripted
    int preselected;
    std::optional<std::u16string> expected;
  } cases[] = {
      {"nothing scripted closes", std::nullopt, 2, std::nullopt},
      {"close box", Answer{Answer::Action::kClose, u"English"}, 2, std::nullopt},
      {"OK keeps the preselection", Answer{}, 2, u"Francais"},
      {"OK after choosing", Answer{Answer::Action::kPressOk, u"English"}, 2, u"English"},
      {"OK with nothing selected", Answer{}, -1, u""},
      {"an unlisted text cannot be chosen", Answer{Answer::Action::kPressOk, u"Klingon"}, 0,
       u"Deutsch"},
      {"a preselection past the list selects nothing", Answer{}, 3, u""},
  };
  for (const auto& c : cases) {
    ResetOffscreen();
    if (c.answer) ScriptLanguageDialog(*c.answer);
    EXPECT_EQ(ShowLanguageDialog(u"Langue / Language", items, c.preselected), c.expected)
        << c.name;
    auto shown = OffscreenShownDialogs();
    ASSERT_EQ(shown.size(), 1u) << c.name;
    EXPECT_EQ(shown[0].title, u"Langue / Language");
    EXPECT_EQ(shown[0].items, items);
    EXPECT_EQ(shown[0].preselected, c.preselected);
  }
  ScriptLanguageDialog({});
  EXPECT_EQ(ShowLanguageDialog(u"t", {}, 0), std::u16string()) << "an empty list";
}

TEST_F(OffscreenServices, ProcessCallsAreRecordedNotPerformed) {
  EXPECT_TRUE(StartPlatform());
  EXPECT_TRUE(StartNewCopy());
  SetOffscreenNewCopyFails(true);
  EXPECT_FALSE(StartNewCopy());
  EndProgram(0);
  EndProgram(3);
  EXPECT_EQ(OffscreenNewCopies(), 1);
  EXPECT_EQ(OffscreenExitCodes(), (std::vector<int32_t>{0, 3}));
  std::u16string path = OwnExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(std::filesystem::path(path).is_absolute());
  ResetOffscreen();
  EXPECT_EQ(OffscreenNewCopies(), 0);
  EXPECT_TRUE(OffscreenExitCodes().empty());
}

TEST_F(OffscreenServices, MessageBoxesAreRecordedInOrder) {
  ShowMessageBox(0, u"Erreur", u"ligne 1\nligne 2");
  ShowMessageBox(7, u"b", u"");
  auto boxes = OffscreenMessageBoxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].title, u"Erreur");
  EXPECT_EQ(boxes[0].text, u"ligne 1\nligne 2");
  EXPECT_EQ(boxes[1].owner, 7);
}

TEST_F(OffscreenServices, ClipboardHoldsTextOnly) {
  EXPECT_EQ(GetClipboardText(), u"");
  EXPECT_TRUE(SetClipboardText(u"2×π\n3"));
  EXPECT_EQ(GetClipboardText(), u"2×π\n3");
  SetOffscreenClipboard(std::nullopt);  // another program put a picture there
  EXPECT_EQ(GetClipboardText(), u"");
  SetOffscreenClipboard(u"x");
  SetOffscreenClipboardLocked(true);
  EXPECT_EQ(GetClipboardText(), u"");
  EXPECT_FALSE(SetClipboardText(u"y"));
  SetOffscreenClipboardLocked(false);
  EXPECT_EQ(OffscreenClipboard(), u"x");
}

TEST_F(OffscreenServices, MenusKeepTheirStructure) {
  ASSERT_TRUE(NewPopupMenu(71));
  EXPECT_TRUE(AddMenuEntry(71, 73, u"Copier"));
  EXPECT_TRUE(BeginSubmenu(71, u"Plus"));
  EXPECT_FALSE(BeginSubmenu(71, u"nested"));  // one level only
  EXPECT_TRUE(AddMenuEntry(71, 5, u"x²\t     ^2"));
  EXPECT_TRUE(AddMenuSeparator(71));
  EndSubmenu(71);
  EXPECT_TRUE(AddMenuSeparator(71));
  EXPECT_FALSE(AddMenuEntry(71, 0, u"no command"));
  EXPECT_FALSE(AddMenuEntry(99, 1, u"no menu"));
  EXPECT_FALSE(BeginSubmenu(99, u"no menu"));

  using Kind = OffscreenMenuItem::Kind;
  auto menu = OffscreenMenu(71);
  ASSERT_TRUE(menu);
  ASSERT_EQ(menu->size(), 3u);
  EXPECT_EQ((*menu)[0].command, 73);
  EXPECT_EQ((*menu)[1].kind, Kind::kSubmenu);
  EXPECT_EQ((*menu)[1].text, u"Plus");
  ASSERT_EQ((*menu)[1].children.size(), 2u);
  EXPECT_EQ((*menu)[1].children[0].text, u"x²\t     ^2");
  EXPECT_EQ((*menu)[1].children[1].kind, Kind::kSeparator);
  EXPECT_EQ((*menu)[2].kind, Kind::kSeparator);

  ASSERT_TRUE(NewPopupMenu(71));  // a new menu under the same number starts empty
  EXPECT_TRUE(OffscreenMenu(71)->empty());
  DestroyPopupMenu(71);
  EXPECT_FALSE(OffscreenMenu(71));
}

TEST_F(OffscreenServices, AChosenMenuEntryArrivesAsALaterEvent) {
  WindowHandle window = OpenWindow({u"w", 0, 0, 10, 10});
  NewPopupMenu(0);
  BeginSubmenu(0, u"Fonctions");
  AddMenuEntry(0, 12, u"sin");
  EndSubmenu(0);
  AddMenuEntry(0, 40, u"π");
  OffscreenMoveMouse(300, 200);
  ScriptMenuChoice(12);  // an entry of the submenu
  ScriptMenuChoice(0);   // dismissed
  ScriptMenuChoice(41);  // not in the menu: the user could not have chosen it

  for (int i = 0; i < 4; ++i) EXPECT_TRUE(ShowPopupMenu(0, window));
  EXPECT_FALSE(ShowPopupMenu(69, window));
  EXPECT_FALSE(ShowPopupMenu(0, window + 1));

  auto shown = OffscreenShownMenus();
  std::vector<int32_t> chosen;
  for (const auto& menu : shown) chosen.push_back(menu.chosen);
  ASSERT_EQ(chosen, (std::vector<int32_t>{12, 0, 0, 0}));  // the last: nothing scripted any more
  EXPECT_EQ(std::tie(shown[0].screenX, shown[0].screenY), std::tuple(300, 200));

  Event event = PollEvent();
  EXPECT_EQ(event.code, kEventMenuCommand);
  EXPECT_EQ(event.window, window);
  EXPECT_EQ(event.parameter, 12u);
  EXPECT_EQ(PollEvent().code, kEventNone);
}

}  // namespace
