// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/menus.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "app/calculation.h"
#include "app/edit_commands.h"
#include "app/items.h"
#include "app/skins.h"
#include "app/text_pieces.h"
#include "display/answer_format.h"
#include "display/expression_line.h"
#include "engine/calculation_text.h"
#include "platform/menus.h"
#include "settings/settings.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {

enum class RowKind : uint8_t { kSubmenu, kEntry, kSeparator, kLetters };

// One row of a menu and what choosing it does: a submenu title (ending the submenu before it), a
// separator, an entry, or the memory letters a to z without e (the constant), an entry each, with
// the letter's value as hint.
struct MenuRow {
  RowKind kind;
  // An entry's command; for the letters, the command of a, the next ones following in order.
  int32_t command = 0;
  TextPiece text[2] = {};
  TextPiece hint[2] = {};
  // An entry inserts text insertText (0: none) followed by the piece, so, unless it has an
  // action of its own.
  int32_t insertText = 0;
  const char16_t* piece = u"";
  InsertOptions insert = {};
  void (*action)() = nullptr;
  // The letters' action, given the letter's place (a is 1).
  void (*letterAction)(int32_t place) = nullptr;
};

// How the entries insert: an operator that needs a left operand (not the minus, not 10^) gets
// the answer word first on an empty line; a power or a function name is complete as soon as it
// is in.
constexpr InsertOptions kTyping = {};
constexpr InsertOptions kAfterAnswer = {.answerFirst = true};
constexpr InsertOptions kComplete = {.pass = SpellingPass::kFinal};
constexpr InsertOptions kCompleteAfterAnswer = {.answerFirst = true, .pass = SpellingPass::kFinal};

constexpr TextPiece kOpen = F(u"(");
constexpr TextPiece kTwoArguments = F(u"(k,n)");

constexpr MenuRow Submenu(TextPiece title) { return {.kind = RowKind::kSubmenu, .text = {title}}; }
constexpr MenuRow Separator() { return {.kind = RowKind::kSeparator}; }
// An operator's entry: its name, with the operator as hint and as what it inserts.
constexpr MenuRow Operator(int32_t command, int32_t text, const char16_t* piece,
                           InsertOptions insert) {
  return {.kind = RowKind::kEntry,
          .command = command,
          .text = {T(text)},
          .hint = {F(piece)},
          .piece = piece,
          .insert = insert};
}
// A function's entry: its name and "(", inserting its typed name and "(".
constexpr MenuRow Function(int32_t command, int32_t text, int32_t insertText) {
  return {.kind = RowKind::kEntry,
          .command = command,
          .text = {T(text), kOpen},
          .insertText = insertText,
          .piece = u"(",
          .insert = kComplete};
}
// An entry with a hint of its own.
constexpr MenuRow Entry(int32_t command, std::initializer_list<TextPiece> text,
                        std::initializer_list<TextPiece> hint, int32_t insertText,
                        const char16_t* piece) {
  MenuRow row = {.kind = RowKind::kEntry,
                 .command = command,
                 .insertText = insertText,
                 .piece = piece,
                 .insert = kComplete};
  std::copy(text.begin(), text.end(), row.text);
  std::copy(hint.begin(), hint.end(), row.hint);
  return row;
}
constexpr MenuRow Command(int32_t command, TextPiece text, void (*action)()) {
  return {.kind = RowKind::kEntry, .command = command, .text = {text}, .action = action};
}
constexpr MenuRow Letters(int32_t firstCommand, void (*action)(int32_t place)) {
  return {.kind = RowKind::kLetters, .command = firstCommand, .letterAction = action};
}

void InsertLetter(int32_t place) {
  // A memory letter, which the calculation reads as its value.
  InsertText(std::u16string(1, static_cast<char16_t>(u'a' + place - 1)));
}

// The letters' entries insert a letter (42 for a to 67 for z), store the latest answer in it
// (76 to 101), or clear them all (102).
constexpr int32_t kInsertLetterA = 42, kStoreLetterA = 76, kClearMemoriesCommand = 102;

const MenuRow kFunctionRows[] = {
    Submenu(T(kOperationsMenuTitle)),
    Operator(1, kAdditionEntry, u"+", kAfterAnswer),
    Operator(2, kSubtractionEntry, u"-", kTyping),
    Operator(3, kMultiplicationEntry, u"*", kAfterAnswer),
    Operator(4, kDivisionEntry, u"/", kAfterAnswer),
    Operator(5, kPowerEntry, u"^", kAfterAnswer),
    Submenu(T(kPowersMenuTitle)),
    Operator(6, kPowerOfTenEntry, u"10^", kComplete),
    Operator(7, kSquareEntry, u"^2", kCompleteAfterAnswer),
    Operator(8, kCubeEntry, u"^3", kCompleteAfterAnswer),
    Operator(9, kReciprocalEntry, u"^-1", kCompleteAfterAnswer),
    Separator(),
    Entry(10, {T(kSquareRootEntry), kOpen}, {T(kSquareRootHint), kOpen}, kSquareRootInsert, u"("),
    Entry(11, {T(kCubeRootEntry), kOpen}, {T(kCubeRootHint), kOpen}, kCubeRootInsert, u"("),
    Entry(12, {T(kNthRootEntry), kTwoArguments}, {T(kNthRootHint), kOpen}, kNthRootInsert, u"("),
    Separator(),
    // The exponential entry inserts what its hint shows.
    Entry(13, {T(kExponentialEntry), T(kExponentialEntryPower)}, {F(u"e^")}, 0, u"e^"),
    Function(14, kLnEntry, kLnInsert),
    Function(15, kLogEntry, kLogInsert),
    Separator(),
    Operator(16, kPercentageEntry, u"%", kCompleteAfterAnswer),
    Submenu(T(kTrigonometryMenuTitle)),
    Entry(17, {T(kPiEntry)}, {T(kPiHint)}, kPiInsert, u""),
    Separator(),
    Function(18, kSinEntry, kSinInsert),
    Function(19, kCosEntry, kCosInsert),
    Function(20, kTanEntry, kTanInsert),
    Function(21, kArcSinEntry, kArcSinInsert),
    Function(22, kArcCosEntry, kArcCosInsert),
    Function(23, kArcTanEntry, kArcTanInsert),
    Separator(),
    Function(24, kSinhEntry, kSinhInsert),
    Function(25, kCoshEntry, kCoshInsert),
    Function(26, kTanhEntry, kTanhInsert),
    Function(27, kArSinhEntry, kArSinhInsert),
    Function(28, kArCoshEntry, kArCoshInsert),
    Function(29, kArTanhEntry, kArTanhInsert),
    Submenu(T(kCountingMenuTitle)),
    Operator(32, kFactorialEntry, u"!", kCompleteAfterAnswer),
    Separator(),
    Entry(33, {T(kPermutationsEntry)}, {T(kPermutationsEntryName), kTwoArguments},
          kPermutationsInsert, u"("),
    Entry(34, {T(kCombinationsEntry)}, {T(kCombinationsEntryName), kTwoArguments},
          kCombinationsInsert, u"("),
    Submenu(T(kComparisonsMenuTitle)),
    Operator(35, kEqualEntry, u"=", kCompleteAfterAnswer),
    Operator(36, kGreaterEntry, u">", kCompleteAfterAnswer),
    Operator(37, kLessEntry, u"<", kCompleteAfterAnswer),
    Operator(38, kGreaterOrEqualEntry, u">=", kCompleteAfterAnswer),
    Operator(39, kLessOrEqualEntry, u"<=", kCompleteAfterAnswer),
    Operator(40, kNotEqualEntry, u"<>", kCompleteAfterAnswer),
    Submenu(T(kMemoryMenuTitle)),
    Letters(kInsertLetterA, InsertLetter),
    Separator(),
    Command(kClearMemoriesCommand, T(kClearMemoriesText), ResetMemories),
    Submenu(T(kStoreAnswerText)),
    Letters(kStoreLetterA, StoreLatestAnswer),
};

// The skin menu's commands: About, always on top, and the skins, each the command of the first
// plus its place in the list the menu was built from. The menu is built from the skin folders
// each time it is shown.
constexpr int32_t kAboutCommand = 103, kAlwaysOnTopCommand = 104, kFirstSkinCommand = 110;

const MenuRow kEditRows[] = {
    Command(73, T(kCopyEntry), CopySelection),
    Command(74, T(kCutEntry), CutSelection),
    Command(75, T(kPasteEntry), PasteText),
    Separator(),  // clipboard above, clearing below
    Command(72, T(kClearAllEntry), ClearExpression),
};

const std::span<const MenuRow> kMenus[] = {kFunctionRows, kEditRows};

int32_t buildingMenu = -1;
std::vector<int32_t> builtMenus;
// The skins the skin menu lists, in its order.
std::vector<std::u16string> listedSkins;
// The memories as the function menu's hints show them, to build it again once they change.
double shownMemories[kMemoryCount] = {};

void BuildMenu(int32_t menu, std::span<const MenuRow> rows) {
  if (!NewPopupMenu(menu)) return;
  buildingMenu = menu;
  bool open = false;
  for (const MenuRow& row : rows) {
    switch (row.kind) {
      case RowKind::kSubmenu:
        if (open) EndSubmenu(menu);
        open = BeginSubmenu(menu, JoinPieces(row.text));
        break;
      case RowKind::kEntry:
        AddMenuItemWithHint(row.command, JoinPieces(row.text), JoinPieces(row.hint));
        break;
      case RowKind::kSeparator: AddMenuSeparator(menu); break;
      case RowKind::kLetters:
        for (int32_t place = 1; place < kMemoryCount; ++place)
          if (IsMemoryPlace(place))
            AddMenuItemWithHint(row.command + place - 1,
                                std::u16string(1, static_cast<char16_t>(u'a' + place - 1)),
                                FormatAnswerNumber(memories[place]));
        std::memcpy(shownMemories, memories, sizeof memories);
        break;
    }
  }
  if (open) EndSubmenu(menu);
  buildingMenu = -1;
  if (std::find(builtMenus.begin(), builtMenus.end(), menu) == builtMenus.end())
    builtMenus.push_back(menu);
}

// The skin menu, built again each time it is shown: the folders of Apparence may have changed,
// and the check marks follow the skin and the setting.
void BuildSkinMenu() {
  if (!NewPopupMenu(kSkinMenu)) return;
  listedSkins = ListSkins();
  if (BeginSubmenu(kSkinMenu, TextOf(kSkinsSubmenuText))) {
    for (size_t i = 0; i < listedSkins.size(); ++i)
      AddMenuCheckEntry(kSkinMenu, kFirstSkinCommand + int32_t(i), listedSkins[i],
                        listedSkins[i] == appSettings.skinName);
    EndSubmenu(kSkinMenu);
  }
  if (BeginSubmenu(kSkinMenu, u"?")) {
    AddMenuEntry(kSkinMenu, kAboutCommand, TextOf(kAboutText));
    AddMenuCheckEntry(kSkinMenu, kAlwaysOnTopCommand, TextOf(kAlwaysOnTopText),
                      appSettings.alwaysOnTop != 0);
    EndSubmenu(kSkinMenu);
  }
  if (std::find(builtMenus.begin(), builtMenus.end(), kSkinMenu) == builtMenus.end())
    builtMenus.push_back(kSkinMenu);
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
  ShowPopupMenu(menu, SkinWindowHandle(kMainWindow));
}

void HandleMenuCommand(int32_t number) {
  if (number == kAboutCommand) return ShowAbout();
  if (number == kAlwaysOnTopCommand) return ToggleAlwaysOnTop();
  if (number >= kFirstSkinCommand && size_t(number - kFirstSkinCommand) < listedSkins.size()) {
    // A copy: the choice may build the menu, and so the list, again.
    const std::u16string skin = listedSkins[size_t(number - kFirstSkinCommand)];
    return ChooseSkin(skin);
  }
  for (std::span<const MenuRow> rows : kMenus) {
    for (const MenuRow& row : rows) {
      if (row.kind == RowKind::kLetters) {
        const int32_t place = number - row.command + 1;
        if (IsMemoryPlace(place)) return row.letterAction(place);
      }
      if (row.kind != RowKind::kEntry || row.command != number) continue;
      if (row.action != nullptr) return row.action();
      const std::u16string text = row.insertText ? TextOf(row.insertText) : std::u16string();
      return InsertText(text + row.piece, row.insert);
    }
  }
}

void ReleaseMenus() {
  for (int32_t menu : builtMenus) DestroyPopupMenu(menu);
  builtMenus.clear();
  listedSkins.clear();
  buildingMenu = -1;
  std::fill(std::begin(shownMemories), std::end(shownMemories), 0.0);
}
