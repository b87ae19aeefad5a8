// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/accessible_tree.h"

#include <algorithm>
#include <string>

#include "app/items.h"
#include "display/answer_format.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "settings/text_table.h"

namespace {

// Captions that speech reads badly, a glyph or an abbreviation, and the words said instead.
struct SpokenName {
  int32_t colour;
  int32_t text;
};
constexpr SpokenName kSpokenNames[] = {
    {kPlusKey, kSpokenPlusText},
    {kMinusKey, kSpokenMinusText},
    {kTimesKey, kSpokenTimesText},
    {kDivideKey, kSpokenDividedText},
    {kPointKey, kSpokenPointText},
    {kFirstFunctionKey, kSpokenCosineText},
    {kSecondFunctionKey, kSpokenSineText},
    {kThirdFunctionKey, kSpokenTangentText},
    {kPiKey, kSpokenPiText},
    {kRadiansKey, kSpokenRadiansText},
    {kDegreesKey, kSpokenDegreesText},
    {kResultKey, kSpokenEqualsText},
    {kFunctionMenuKey, kSpokenFunctionsText},
    {kQuitKey, kSpokenQuitText},
};

AccessibleRole RoleOf(ItemAction action) {
  switch (action) {
    case ItemAction::kNone: return AccessibleRole::kLabel;
    case ItemAction::kRadians:
    case ItemAction::kDegrees: return AccessibleRole::kRadioButton;
    default: return AccessibleRole::kButton;
  }
}

std::u16string NameOf(const SkinItem& item) {
  for (const SpokenName& spoken : kSpokenNames) {
    if (spoken.colour == item.colour) return TextOf(spoken.text);
  }
  return item.text;
}

void PlaceNode(AccessibleNode& node, const AccessibleBox& box) {
  node.x = box.x;
  node.y = box.y;
  node.width = box.width;
  node.height = box.height;
}

// The history's entries, oldest first as the panel shows them upwards, the sentinel left out;
// the rows the panel shows give their bounds, the others have none.
void AddHistoryParts(const SkinItem& panel, std::vector<AccessibleNode>& nodes) {
  AccessibleNode list;
  list.id = kHistoryItem;
  list.role = AccessibleRole::kList;
  list.name = TextOf(kHistoryNameText);
  PlaceNode(list, AccessibleBoxOf(panel));
  nodes.push_back(list);
  const std::vector<HistoryEntry>& entries = historyList.entries;
  const std::vector<HistoryRows> shown = ShownHistoryRows();
  const int32_t width = panel.right - panel.left + 1;
  for (size_t i = entries.size(); i-- > 0;) {
    const HistoryEntry& entry = entries[i];
    if (entry.expression.empty()) continue;
    const int32_t fromOldest = int32_t(entries.size() - 1 - i);
    const std::u16string answer = ComposeAnswerLine(entry);
    AccessibleNode item;
    item.id = kHistoryEntryIds + fromOldest;
    item.parent = kHistoryItem;
    item.role = AccessibleRole::kListItem;
    item.name = entry.expression + u", " + answer;
    AccessibleNode expression, answerRow;
    expression.id = kHistoryRowIds + 2 * fromOldest;
    answerRow.id = expression.id + 1;
    expression.parent = answerRow.parent = item.id;
    expression.name = entry.expression;
    answerRow.name = answer;
    auto rows = std::find_if(shown.begin(), shown.end(),
                             [i](const HistoryRows& r) { return r.index == i; });
    if (rows != shown.end()) {
      const int32_t height = rows->answerTop + rows->lineHeight - rows->expressionTop;
      PlaceNode(item, AccessibleBoxOf(panel.left, panel.top + rows->expressionTop, width, height));
      PlaceNode(expression, AccessibleBoxOf(panel.left, panel.top + rows->expressionTop, width,
                                            rows->lineHeight));
      PlaceNode(answerRow,
                AccessibleBoxOf(panel.left, panel.top + rows->answerTop, width, rows->lineHeight));
    }
    nodes.push_back(item);
    nodes.push_back(expression);
    nodes.push_back(answerRow);
  }
}

}  // namespace

AccessibleBox AccessibleBoxOf(int32_t left, int32_t top, int32_t width, int32_t height) {
  return {left, top, width, height};
}

AccessibleBox AccessibleBoxOf(const SkinItem& item) {
  return AccessibleBoxOf(item.left, item.top, item.right - item.left + 1,
                         item.bottom - item.top + 1);
}

std::vector<AccessibleNode> MainWindowParts() {
  std::vector<AccessibleNode> nodes;
  if (const SkinItem* panel = FindSkinItem(kHistoryItem)) AddHistoryParts(*panel, nodes);
  if (const SkinItem* lineItem = FindSkinItem(kExpressionItem)) {
    AccessibleNode line;
    line.id = kExpressionItem;
    line.role = AccessibleRole::kTextLine;
    line.name = TextOf(kExpressionNameText);
    line.text = expressionLine.text;
    line.caret = expressionLine.caret;
    line.anchor = expressionLine.anchor;
    // The keyboard always types into the line while the window has it.
    line.focused = ActiveSkinWindow() == kMainWindow;
    PlaceNode(line, AccessibleBoxOf(*lineItem));
    nodes.push_back(line);
  }
  // Keys row by row, as a sighted user reads the keypad.
  std::vector<std::pair<const SkinItem*, ItemAction>> keys;
  for (const MainItem& key : MainItems()) {
    if (const SkinItem* item = FindSkinItem(key.colour)) keys.emplace_back(item, key.action);
  }
  std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
    return a.first->top != b.first->top ? a.first->top < b.first->top
                                        : a.first->left < b.first->left;
  });
  for (const auto& [item, action] : keys) {
    AccessibleNode node;
    node.id = item->colour;
    node.role = RoleOf(action);
    node.name = NameOf(*item);
    node.checked = node.role == AccessibleRole::kRadioButton && GetSkinItemState(item->colour) != 0;
    PlaceNode(node, AccessibleBoxOf(*item));
    nodes.push_back(node);
  }
  return nodes;
}

void PublishAccessibleTree() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  if (window != 0) SetAccessibleNodes(window, MainWindowParts());
}

void AnnounceNewestCalculation() {
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  if (window == 0 || historyList.entries.empty()) return;
  PublishAccessibleTree();
  AnnounceAccessibly(window, ComposeAnswerLine(historyList.entries.front()));
}
