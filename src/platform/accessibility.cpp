// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/accessibility.h"

#include <algorithm>
#include <unordered_map>

namespace {

bool SameParts(const std::vector<AccessibleNode>& a, const std::vector<AccessibleNode>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].id != b[i].id || a[i].parent != b[i].parent || a[i].role != b[i].role) return false;
  }
  return true;
}

// Typing changes a text in one place: what lies between the common start and the common end
// was removed and replaced, and a reader echoes exactly that.
void CompareText(const AccessibleNode& before, const AccessibleNode& after,
                 std::vector<AccessibleChange>& changes) {
  const std::u16string& a = before.text;
  const std::u16string& b = after.text;
  if (a == b) return;
  const size_t shorter = std::min(a.size(), b.size());
  size_t head = 0;
  while (head < shorter && a[head] == b[head]) ++head;
  size_t tail = 0;
  while (tail < shorter - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) ++tail;
  const int32_t start = int32_t(head);
  if (a.size() > head + tail)
    changes.push_back(
        {AccessibleChange::Kind::kTextRemoved, after.id, start, int32_t(a.size() - head - tail)});
  if (b.size() > head + tail)
    changes.push_back(
        {AccessibleChange::Kind::kTextInserted, after.id, start, int32_t(b.size() - head - tail)});
}

void CompareNode(const AccessibleNode& before, const AccessibleNode& after,
                 std::vector<AccessibleChange>& changes) {
  using Kind = AccessibleChange::Kind;
  if (before.name != after.name) changes.push_back({Kind::kName, after.id});
  if (before.x != after.x || before.y != after.y || before.width != after.width ||
      before.height != after.height)
    changes.push_back({Kind::kBounds, after.id});
  if (before.checked != after.checked) changes.push_back({Kind::kChecked, after.id});
  CompareText(before, after, changes);
  if (before.caret != after.caret) changes.push_back({Kind::kCaret, after.id, after.caret});
  const bool selectedBefore = before.caret != before.anchor,
             selectedAfter = after.caret != after.anchor;
  if ((selectedBefore || selectedAfter) &&
      (std::min(before.caret, before.anchor) != std::min(after.caret, after.anchor) ||
       std::max(before.caret, before.anchor) != std::max(after.caret, after.anchor)))
    changes.push_back({Kind::kSelection, after.id});
  // The focus comes last, when the part already says what it holds.
  if (before.focused != after.focused) changes.push_back({Kind::kFocused, after.id});
}

}  // namespace

std::vector<AccessibleChange> CompareAccessibleNodes(const std::vector<AccessibleNode>& before,
                                                     const std::vector<AccessibleNode>& after) {
  std::vector<AccessibleChange> changes;
  // The same parts pair up in order; other parts by their ids, looked up in a table, so that
  // the comparison stays linear in the parts however many there are.
  if (SameParts(before, after)) {
    for (size_t i = 0; i < after.size(); ++i) CompareNode(before[i], after[i], changes);
    return changes;
  }
  changes.push_back({AccessibleChange::Kind::kParts});
  std::unordered_map<int32_t, const AccessibleNode*> old;
  old.reserve(before.size());
  for (const AccessibleNode& node : before) old.try_emplace(node.id, &node);
  for (const AccessibleNode& node : after) {
    auto found = old.find(node.id);
    if (found != old.end()) CompareNode(*found->second, node, changes);
  }
  return changes;
}

const AccessibleNode* FindAccessibleNode(const std::vector<AccessibleNode>& nodes, int32_t id) {
  for (const AccessibleNode& node : nodes) {
    if (node.id == id) return &node;
  }
  return nullptr;
}

std::vector<int32_t> AccessibleChildren(const std::vector<AccessibleNode>& nodes, int32_t parent) {
  std::vector<int32_t> ids;
  for (const AccessibleNode& node : nodes)
    if (node.parent == parent) ids.push_back(node.id);
  return ids;
}
