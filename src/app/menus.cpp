#include "app/menus.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/edit_commands.h"
#include "display/expression_line.h"
#include "platform/menus.h"
#include "app/text_pieces.h"
#include "settings/text_table.h"
#include "skin/skin.h"

namespace {


enum class RowKind : uint8_t { kSubmenu, kEntry, kSeparator };

// One row of a menu: a submenu title (ending the submenu before it), an entry or a separator.
struct MenuRow {
  RowKind kind;
  int32_t command = 0;
  TextPiece text[4] = {};
  TextPiece hint[2] = {};
};

constexpr MenuRow Sub(TextPiece title) { return {RowKind::kSubmenu, 0, {title}, {}}; }
constexpr MenuRow Sep() { return {RowKind::kSeparator}; }
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
    Sub(T(69)),  // the memory letters follow, made by BuildFunctionMenu
};

const MenuRow kSkinRows[] = {Sub(F(u"Apparence")), Sub(F(u"?"))};

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

// The letter entries: a to z without e (the constant), numbered 41 plus the letter's place.
constexpr int32_t kFirstLetterCommand = 42, kLastLetterCommand = 67, kUnusedLetterE = 46;

int32_t buildingMenu = -1;
std::vector<int32_t> builtMenus;

template <size_t n>
void BuildMenu(int32_t menu, const MenuRow (&rows)[n], bool letters = false) {
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
    }
  }
  if (letters) {
    for (char16_t letter = u'a'; letter <= u'z'; ++letter)
      if (letter != u'e') AddMenuItemWithHint(41 + (letter - u'a' + 1), std::u16string(1, letter), u"");
  }
  if (open) EndSubmenu(menu);
  buildingMenu = -1;
  builtMenus.push_back(menu);
}

}  // namespace

void AddMenuItemWithHint(int32_t number, std::u16string_view text, std::u16string_view hint) {
  if (buildingMenu < 0) return;
  std::u16string shown(text);
  if (!hint.empty() && hint != text) shown.append(u"\t     ").append(hint);
  AddMenuEntry(buildingMenu, number, shown);
}

void BuildMenus() {
  BuildMenu(kFunctionMenu, kFunctionRows, true);
  BuildMenu(kSkinMenu, kSkinRows);
  BuildMenu(kEditMenu, kEditRows);
}

void ShowMenu(int32_t menu) {
  if (std::find(builtMenus.begin(), builtMenus.end(), menu) == builtMenus.end()) return;
  ShowPopupMenu(menu, SkinWindowHandle(0));
}

void HandleMenuCommand(int32_t number) {
  if (number >= kFirstLetterCommand && number <= kLastLetterCommand && number != kUnusedLetterE) {
    // A memory letter, which the calculation reads as its value.
    char16_t letter = static_cast<char16_t>(u'a' + (number - 41) - 1);
    InsertText(std::u16string(1, letter), false, false);
    return;
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
  buildingMenu = -1;
}
