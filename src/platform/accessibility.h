// SPDX-License-Identifier: GPL-3.0-or-later
// What assistive technology (a screen reader, a magnifier) learns of a window. A window that
// draws its own controls is one picture to it: the program tells this layer the parts it shows
// and what changed, and the desktop's accessibility service reads them from here. A part that
// is pressed through assistive technology comes back as a kEventAccessibleAction of the window,
// so that it takes the program's own path for a click.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows.h"

enum class AccessibleRole : uint8_t {
  kButton,       // does something when pressed; has the press action
  kRadioButton,  // one of a group, checked or not; has the press action
  kLabel,        // text that only says something
  kTextLine,     // one line of editable text with a caret and a selection
  kList,         // holds list items
  kListItem,     // one entry of a list; may hold labels
};

struct AccessibleNode {
  int32_t id = 0;      // the program's own, above 0 and unique in the window; actions carry it
  int32_t parent = 0;  // the node holding this one (listed before it), 0 for the window itself
  AccessibleRole role = AccessibleRole::kLabel;
  std::u16string name;            // what a reader says for it
  std::u16string text;            // kTextLine: the text as shown
  int32_t caret = 0, anchor = 0;  // kTextLine: UTF-16 units before the caret and the selection's
                                  // other end, equal when nothing is selected
  // The part's box in the window's client area, in screen pixels; a width or height of 0: the
  // part is not on screen now (an entry scrolled out of its list).
  int32_t x = 0, y = 0, width = 0, height = 0;
  bool checked = false;  // kRadioButton
  bool focused = false;  // it has the keyboard; at most one node of a window
};

// Tells the window's assistive technology the parts it holds now, in reading order, each after
// its parent. What differs from the last call is reported as a change (a name, a state, text
// typed or deleted, a moved caret, parts come or gone); an empty list removes every part.
// Nothing happens for a window that is not open.
void SetAccessibleNodes(WindowHandle window, const std::vector<AccessibleNode>& nodes);

// Has the message spoken at once, politely (after what is being said), without moving the
// focus: what the program shows elsewhere than where the user works, such as a result.
void AnnounceAccessibly(WindowHandle window, std::u16string_view message);

// --- For the backends -----------------------------------------------------------------------

// One difference between two lists of a window's nodes, as every backend reports it.
struct AccessibleChange {
  enum class Kind : uint8_t {
    kParts,  // nodes came, went, moved or changed role or parent: the tree is built anew
    kName,
    kBounds,
    kChecked,
    kFocused,       // gained or lost the keyboard: see the node's focused
    kTextRemoved,   // start, length: units removed from the old text
    kTextInserted,  // start, length: units inserted in the new text
    kCaret,         // start: the new caret
    kSelection,     // the selection's ends changed
  } kind;
  int32_t id = 0;  // kParts: 0
  int32_t start = 0, length = 0;
};

// What changed from before to after. When the parts differ (ids, order, roles or parents),
// only kParts is reported, followed by the changes of the nodes kept.
std::vector<AccessibleChange> CompareAccessibleNodes(const std::vector<AccessibleNode>& before,
                                                     const std::vector<AccessibleNode>& after);

// The node of the id in the list, nullptr when none.
const AccessibleNode* FindAccessibleNode(const std::vector<AccessibleNode>& nodes, int32_t id);

// The ids of the nodes whose parent is the given one (0: the window), in order.
std::vector<int32_t> AccessibleChildren(const std::vector<AccessibleNode>& nodes, int32_t parent);
