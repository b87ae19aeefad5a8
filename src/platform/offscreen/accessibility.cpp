// SPDX-License-Identifier: GPL-3.0-or-later
// Offscreen assistive technology: the parts each window told, the changes a reader would hear
// and the announcements, kept for the tests; and the press a reader makes.
#include "platform/accessibility.h"
#include "platform/offscreen/state.h"

using namespace offscreen;

void SetAccessibleNodes(WindowHandle window, const std::vector<AccessibleNode>& nodes) {
  if (FindRecord(window) == nullptr) return;
  std::vector<AccessibleNode>& told = TheState().accessibleNodes[window];
  for (const AccessibleChange& change : CompareAccessibleNodes(told, nodes))
    TheState().accessibleChanges.push_back(change);
  told = nodes;
}

void AnnounceAccessibly(WindowHandle window, std::u16string_view message) {
  if (FindRecord(window) == nullptr) return;
  TheState().announcements.push_back({window, std::u16string(message)});
}

std::vector<AccessibleNode> OffscreenAccessibleNodes(WindowHandle window) {
  if (FindRecord(window) == nullptr) return {};
  auto it = TheState().accessibleNodes.find(window);
  return it == TheState().accessibleNodes.end() ? std::vector<AccessibleNode>() : it->second;
}

std::vector<AccessibleChange> OffscreenAccessibleChanges() { return TheState().accessibleChanges; }

void ForgetOffscreenAccessibleChanges() { TheState().accessibleChanges.clear(); }

std::vector<OffscreenAnnouncement> OffscreenAnnouncements() { return TheState().announcements; }

bool PressOffscreenAccessible(WindowHandle window, int32_t id) {
  const std::vector<AccessibleNode> nodes = OffscreenAccessibleNodes(window);
  const AccessibleNode* node = FindAccessibleNode(nodes, id);
  if (node == nullptr ||
      (node->role != AccessibleRole::kButton && node->role != AccessibleRole::kRadioButton))
    return false;
  PostEvent({kEventAccessibleAction, window, uint32_t(id), 0, 0});
  return true;
}
