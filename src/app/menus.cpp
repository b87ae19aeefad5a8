#include "app/menus.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/calculation.h"
#include "app/edit_commands.h"
#include "app/skins.h"
#include "display/answer_format.h"
#include "engine/calculation_text.h"
#include "display/expression_line.h"
#include "platform/menus.h"
#include "app/text_pieces.h"
#include "settings/settings.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {


enum class RowKind : uint8_t { kSubmenu, kEntry, kSeparator, kLetters };

// One row of a menu: a submenu title (ending the submenu before it), an entry, a separator, or
// the memory letters a to z without e (the constant), each with its value as hint and the
// command number plus the letter's place (a is 1).
struct MenuRow {
  RowKind kind;
  int32_t command = 0;
  TextPiece text[4] = {};
  TextPiece hint[2] = {};
};

constexpr MenuRow Sub(TextPiece title) { return {RowKind::kSubmenu, 0, {title}, {}}; }
constexpr MenuRow Sep() { return {RowKind::kSeparator}; }
constexpr MenuRow Letters(int32_t firstCommand) { return {RowKind::kLetters, firstCommand}; }

// The letter entries insert a letter (42 to 67: 41 plus the letter's place), store the latest
// answer in it (76 to 101) or clear them all (102).
constexpr int32_t kInsertLetterBase = 41, kStoreLetterBase = 75, kClearMemoriesCommand = 102;
constexpr MenuRow E(int32_t command, TextPiece text, TextPiece hint = {}) { return {RowKind::kEntry, command, {text}, {hint}}; }
constexpr MenuRow Open(int32_t command, int32_t text, TextPiece hint = {}) {
  return {RowKind::kEntry, command, {T(text), F(u"(")}, {hint}};
}

const MenuRow kFunctionRows[] = {
    Sub(T(107)),
    E(1, T(73), F(u"+")), E(2, T(75), F(u"-")), E(3, T(77), F(u"*")), E(4, T(79), F(u"/")),
    E(5, T(81), F(u"^")),
    Sub(T(56)),
    E(6, T(57), F(u"10^")), E(7, T(58), F(u"^2")), E(8, T(59), F(u"^3")), E(9, T(60), F(u"^-1")),
    Sep(),
    {RowKind::kEntry, 10, {T(61), F(u"(")}, {T(70), F(u"(")}},
    {RowKind::kEntry, 11, {T(62), F(u"(")}, {T(71), F(u"(")}},
    {RowKind::kEntry, 12, {T(63), F(u"(k,n)")}, {T(72), F(u"(")}},
    Sep(),
    {RowKind::kEntry, 13, {T(64), T(102)}, {F(u"e^")}},
    Open(14, 65), Open(15, 66),
    Sep(),
    E(16, T(87), F(u"%")),
    Sub(T(67)),
    E(17, T(108), T(109)),
    Sep(),
    Open(18, 89), Open(19, 90), Open(20, 91), Open(21, 92), Open(22, 93), Open(23, 94),
    Sep(),
    Open(24, 95), Open(25, 96), Open(26, 97), Open(27, 98), Open(28, 99), Open(29, 100),
    Sub(T(68)),
    E(32, T(101), F(u"!")),
    Sep(),
    {RowKind::kEntry, 33, {T(103)}, {T(104), F(u"(k,n)")}},
    {RowKind::kEntry, 34, {T(105)}, {T(106), F(u"(k,n)")}},
    Sub(T(161)),
    E(35, T(162), F(u"=")), E(36, T(163), F(u">")), E(37, T(164), F(u"<")),
    E(38, T(165), F(u">=")), E(39, T(166), F(u"<=")), E(40, T(167), F(u"<>")),
    Sub(T(69)),
    Letters(kInsertLetterBase),
    Sep(),
    E(kClearMemoriesCommand, T(kClearMemoriesText)),
    Sub(T(kStoreAnswerText)),
    Letters(kStoreLetterBase),
};

// The skin menu's commands: About, always on top, and the skins, each the command of the first
// plus its place in the list the menu was built from.
constexpr int32_t kAboutCommand = 103, kAlwaysOnTopCommand = 104, kFirstSkinCommand = 110;

const MenuRow kEditRows[] = {E(73, T(168)), E(74, T(169)), E(75, T(170)), Sep(), E(72, T(154))};

// What a command does: an insertion (text insertText, 0 for none, then the piece, with
// InsertText's flags) or an edit command.
struct Command {
  int32_t number;
  int32_t insertText;
  const char16_t* piece;
  bool answerFirst, finalPass;
  void (*edit)() = nullptr;
};

const Command kCommands[] = {
    {1, 0, u"+", true, false}, {2, 0, u"-", false, false}, {3, 0, u"*", true, false},
    {4, 0, u"/", true, false}, {5, 0, u"^", true, false},
    {6, 0, u"10^", false, true}, {7, 0, u"^2", true, true}, {8, 0, u"^3", true, true},
    {9, 0, u"^-1", true, true},
    {10, 134, u"(", false, true}, {11, 135, u"(", false, true}, {12, 136, u"(", false, true},
    // The exponential entry inserts what its hint shows.
    {13, 0, u"e^", false, true},
    {14, 137, u"(", false, true}, {15, 138, u"(", false, true},
    {16, 0, u"%", true, true}, {17, 141, u"", false, true},
    {18, 142, u"(", false, true}, {19, 143, u"(", false, true}, {20, 144, u"(", false, true},
    {21, 145, u"(", false, true}, {22, 146, u"(", false, true}, {23, 147, u"(", false, true},
    {24, 148, u"(", false, true}, {25, 149, u"(", false, true}, {26, 150, u"(", false, true},
    {27, 151, u"(", false, true}, {28, 152, u"(", false, true}, {29, 153, u"(", false, true},
    {32, 0, u"!", true, true}, {33, 139, u"(", false, true}, {34, 140, u"(", false, true},
    {35, 0, u"=", true, true}, {36, 0, u">", true, true}, {37, 0, u"<", true, true},
    {38, 0, u">=", true, true}, {39, 0, u"<=", true, true}, {40, 0, u"<>", true, true},
    {72, 0, u"", false, false, ClearExpression}, {73, 0, u"", false, false, CopySelection},
    {74, 0, u"", false, false, CutSelection}, {75, 0, u"", false, false, PasteText},
};

int32_t buildingMenu = -1;
std::vector<int32_t> builtMenus;
// The skins the skin menu lists, in its order.
std::vector<std::u16string> listedSkins;
// The memories as the function menu's hints show them, to build it again once they change.
double shownMemories[kMemoryCount] = {};

// The letter of a command of the range that starts at base, or 0.
int32_t LetterOf(int32_t command, int32_t base) {
  const int32_t place = command - base;
  return IsMemoryPlace(place) ? place : 0;
}

template <size_t n>
void BuildMenu(int32_t menu, const MenuRow (&rows)[n]) {
  if (!NewPopupMenu(menu)) return;
  buildingMenu = menu;
  bool open = false;
  for (const MenuRow& row : rows) {
    switch (row.kind) {
      case RowKind::kSubmenu:
        if (open) EndSubmenu(menu);
        open = BeginSubmenu(menu, JoinPieces(row.text));
        break;
      case RowKind::kEntry: AddMenuItemWithHint(row.command, JoinPieces(row.text), JoinPieces(row.hint)); break;
      case RowKind::kSeparator: AddMenuSeparator(menu); break;
      case RowKind::kLetters:
        for (int32_t place = 1; place < kMemoryCount; ++place)
          if (IsMemoryPlace(place))
            AddMenuItemWithHint(row.command + place, std::u16string(1, static_cast<char16_t>(u'a' + place - 1)),
                                FormatAnswerNumber(memories[place]));
        std::memcpy(shownMemories, memories, sizeof memories);
        break;
    }
  }
  if (open) EndSubmenu(menu);
  buildingMenu = -1;
  if (std::find(builtMenus.begin(), builtMenus.end(), menu) == builtMenus.end()) builtMenus.push_back(menu);
}

// The skin menu, built again each time it is shown: the folders of Apparence may have changed,
// and the check marks follow the skin and the setting.
void BuildSkinMenu() {
  if (!NewPopupMenu(kSkinMenu)) return;
  listedSkins = ListSkins();
  if (BeginSubmenu(kSkinMenu, TextOf(kSkinsSubmenuText))) {
    for (size_t i = 0; i < listedSkins.size(); ++i)
      AddMenuCheckEntry(kSkinMenu, kFirstSkinCommand + int32_t(i), listedSkins[i], listedSkins[i] == appSettings.skinName);
    EndSubmenu(kSkinMenu);
  }
  if (BeginSubmenu(kSkinMenu, u"?")) {
    AddMenuEntry(kSkinMenu, kAboutCommand, TextOf(kAboutText));
    AddMenuCheckEntry(kSkinMenu, kAlwaysOnTopCommand, TextOf(kAlwaysOnTopText), appSettings.alwaysOnTop != 0);
    EndSubmenu(kSkinMenu);
  }
  if (std::find(builtMenus.begin(), builtMenus.end(), kSkinMenu) == builtMenus.end()) builtMenus.push_back(kSkinMenu);
}

}  // namespace

void AddMenuItemWithHint(int32_t number, std::u16string_view text, std::u16string_view hint) {
  if (buildingMenu < 0) return;
  std::u16string shown(text);
  if (!hint.empty() && hint != text) shown.append(u"\t     ").append(hint);
  AddMenuEntry(buildingMenu, number, shown);
}

void BuildMenus() {
  BuildMenu(kFunctionMenu, kFunctionRows);
  BuildSkinMenu();
  BuildMenu(kEditMenu, kEditRows);
}

void ShowMenu(int32_t menu) {
  if (std::find(builtMenus.begin(), builtMenus.end(), menu) == builtMenus.end()) return;
  // The letters' hints show their values: a store or a clearing since the menu was built makes
  // it again.
  if (menu == kFunctionMenu && std::memcmp(shownMemories, memories, sizeof memories) != 0)
    BuildMenu(kFunctionMenu, kFunctionRows);
  if (menu == kSkinMenu) BuildSkinMenu();
  ShowPopupMenu(menu, SkinWindowHandle(0));
}

void HandleMenuCommand(int32_t number) {
  if (const int32_t place = LetterOf(number, kInsertLetterBase)) {
    // A memory letter, which the calculation reads as its value.
    InsertText(std::u16string(1, static_cast<char16_t>(u'a' + place - 1)), false, false);
    return;
  }
  if (const int32_t place = LetterOf(number, kStoreLetterBase)) return StoreLatestAnswer(place);
  if (number == kClearMemoriesCommand) return ResetMemories();
  if (number == kAboutCommand) return ShowAbout();
  if (number == kAlwaysOnTopCommand) return ToggleAlwaysOnTop();
  if (number >= kFirstSkinCommand && size_t(number - kFirstSkinCommand) < listedSkins.size()) {
    // A copy: the choice may build the menu, and so the list, again.
    const std::u16string skin = listedSkins[size_t(number - kFirstSkinCommand)];
    return ChooseSkin(skin);
  }
  for (const Command& command : kCommands) {
    if (command.number != number) continue;
    if (command.edit != nullptr) {
      command.edit();
    } else {
      std::u16string piece = command.insertText ? TextOf(command.insertText) : std::u16string();
      InsertText(piece + command.piece, command.answerFirst, command.finalPass);
    }
    return;
  }
}

void ReleaseMenus() {
  for (int32_t menu : builtMenus) DestroyPopupMenu(menu);
  builtMenus.clear();
  listedSkins.clear();
  buildingMenu = -1;
  std::fill(std::begin(shownMemories), std::end(shownMemories), 0.0);
}
