// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a window as ATK objects, children of the window's own accessible object, which
// the AT-SPI bridge GTK loads hands to screen readers. A window that draws everything itself
// has no widgets inside it, so its accessible object is of a type of ours that adds the parts
// the program told (SetAccessibleNodes) after whatever GTK finds.
#include <gtk/gtk-a11y.h>
#include <gtk/gtk.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/gtk/state.h"
#include "platform/unicode.h"

using namespace gtkbackend;

namespace {

// What a window's parts are as the program told them, and the ATK object of each, by id.
struct PartsRecord {
  std::vector<AccessibleNode> nodes;
  std::map<int32_t, AtkObject*> objects;
};

std::map<WindowHandle, PartsRecord>& Parts() {
  static std::map<WindowHandle, PartsRecord> parts;
  return parts;
}

const AccessibleNode* NodeOf(WindowHandle window, int32_t id) {
  auto it = Parts().find(window);
  return it == Parts().end() ? nullptr : FindAccessibleNode(it->second.nodes, id);
}

// The ids of the parts the node holds (0: the window), in order.
std::vector<int32_t> ChildrenOf(WindowHandle window, int32_t parent) {
  auto it = Parts().find(window);
  return it == Parts().end() ? std::vector<int32_t>{}
                             : AccessibleChildren(it->second.nodes, parent);
}

// ATK counts characters (code points), the program UTF-16 units.
int32_t CharactersBefore(std::u16string_view text, int32_t units) {
  int32_t characters = 0;
  for (int32_t i = 0; i < units && i < int32_t(text.size()); ++i) {
    if (text[size_t(i)] < 0xDC00 || text[size_t(i)] > 0xDFFF) ++characters;
  }
  return characters;
}

int32_t UnitsBefore(std::u16string_view text, int32_t characters) {
  int32_t units = 0, seen = 0;
  while (units < int32_t(text.size())) {
    const char16_t c = text[size_t(units)];
    if (c < 0xDC00 || c > 0xDFFF) {
      if (seen == characters) break;
      ++seen;
    }
    ++units;
  }
  return units;
}

// --- The parts' objects ------------------------------------------------------------------------

struct TvPart {
  AtkObject parent;
  WindowHandle window;
  int32_t id;
};
struct TvPartClass {
  AtkObjectClass parent;
};
using TvPressable = TvPart;
using TvPressableClass = TvPartClass;
using TvTextPart = TvPart;
using TvTextPartClass = TvPartClass;

GType tv_part_get_type();
GType tv_pressable_get_type();
GType tv_text_part_get_type();

TvPart* PartOf(gpointer object) { return reinterpret_cast<TvPart*>(object); }

const AccessibleNode* NodeOfObject(gpointer object) {
  const TvPart* part = PartOf(object);
  return NodeOf(part->window, part->id);
}

AtkObject* ObjectOf(WindowHandle window, int32_t id) {
  auto it = Parts().find(window);
  if (it == Parts().end()) return nullptr;
  auto object = it->second.objects.find(id);
  return object == it->second.objects.end() ? nullptr : object->second;
}

gint PartChildCount(AtkObject* object) {
  return gint(ChildrenOf(PartOf(object)->window, PartOf(object)->id).size());
}

AtkObject* PartChild(AtkObject* object, gint index) {
  const std::vector<int32_t> ids = ChildrenOf(PartOf(object)->window, PartOf(object)->id);
  if (index < 0 || size_t(index) >= ids.size()) return nullptr;
  AtkObject* child = ObjectOf(PartOf(object)->window, ids[size_t(index)]);
  return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}

gint WindowChildCount(AtkObject* object);

gint PartIndex(AtkObject* object) {
  const AccessibleNode* node = NodeOfObject(object);
  if (node == nullptr) return -1;
  const std::vector<int32_t> ids = ChildrenOf(PartOf(object)->window, node->parent);
  auto it = std::find(ids.begin(), ids.end(), node->id);
  if (it == ids.end()) return -1;
  gint index = gint(it - ids.begin());
  // The window's own children, if GTK finds any, come first.
  if (node->parent == 0)
    index += WindowChildCount(atk_object_get_parent(object)) - gint(ids.size());
  return index;
}

bool IsShowing(WindowHandle window, const AccessibleNode& node) {
  const WindowRecord* record = FindRecord(window);
  return record != nullptr && record->shown && node.width > 0 && node.height > 0;
}

AtkStateSet* PartStates(AtkObject* object) {
  AtkStateSet* states = atk_state_set_new();
  const AccessibleNode* node = NodeOfObject(object);
  if (node == nullptr) {
    atk_state_set_add_state(states, ATK_STATE_DEFUNCT);
    return states;
  }
  atk_state_set_add_state(states, ATK_STATE_ENABLED);
  atk_state_set_add_state(states, ATK_STATE_SENSITIVE);
  atk_state_set_add_state(states, ATK_STATE_VISIBLE);
  if (IsShowing(PartOf(object)->window, *node)) atk_state_set_add_state(states, ATK_STATE_SHOWING);
  switch (node->role) {
    case AccessibleRole::kRadioButton:
      atk_state_set_add_state(states, ATK_STATE_CHECKABLE);
      if (node->checked) atk_state_set_add_state(states, ATK_STATE_CHECKED);
      break;
    case AccessibleRole::kTextLine:
      atk_state_set_add_state(states, ATK_STATE_EDITABLE);
      atk_state_set_add_state(states, ATK_STATE_SINGLE_LINE);
      atk_state_set_add_state(states, ATK_STATE_FOCUSABLE);
      atk_state_set_add_state(states, ATK_STATE_SELECTABLE_TEXT);
      break;
    default: break;
  }
  if (node->focused) atk_state_set_add_state(states, ATK_STATE_FOCUSED);
  return states;
}

// Bounds: the part's box in the window, moved to where the window is.
void PartExtents(AtkComponent* component, gint* x, gint* y, gint* width, gint* height,
                 AtkCoordType coordinates) {
  *x = *y = *width = *height = 0;
  const TvPart* part = PartOf(component);
  const AccessibleNode* node = NodeOf(part->window, part->id);
  if (node == nullptr) return;
  int32_t left = 0, top = 0;
  if (coordinates == ATK_XY_SCREEN) GetWindowPosition(part->window, &left, &top);
  if (coordinates == ATK_XY_PARENT && node->parent != 0) {
    if (const AccessibleNode* parent = NodeOf(part->window, node->parent)) {
      left = -parent->x;
      top = -parent->y;
    }
  }
  *x = left + node->x;
  *y = top + node->y;
  *width = node->width;
  *height = node->height;
}

void PartComponentInit(AtkComponentIface* iface) { iface->get_extents = PartExtents; }

// The press: queued as the program's event, so that it takes the path of a click.
gboolean PartPress(AtkAction* action, gint index) {
  const TvPart* part = PartOf(action);
  if (index != 0 || NodeOf(part->window, part->id) == nullptr) return FALSE;
  PostEvent({kEventAccessibleAction, part->window, uint32_t(part->id), 0, 0});
  return TRUE;
}
gint PartActionCount(AtkAction*) { return 1; }
// "click" is the name readers look for on a button.
const gchar* PartActionName(AtkAction*, gint index) { return index == 0 ? "click" : nullptr; }

void PartActionInit(AtkActionIface* iface) {
  iface->do_action = PartPress;
  iface->get_n_actions = PartActionCount;
  iface->get_name = PartActionName;
  iface->get_localized_name = PartActionName;
}

// --- The line's text ----------------------------------------------------------------------

std::u16string TextOfObject(gpointer object) {
  const AccessibleNode* node = NodeOfObject(object);
  return node ? node->text : std::u16string();
}

// The characters from start to end (-1: the end) as UTF-8, newly allocated as ATK wants.
gchar* TextBetween(std::u16string_view text, gint start, gint end) {
  const int32_t from = UnitsBefore(text, std::max(start, 0));
  const int32_t to = end < 0 ? int32_t(text.size()) : UnitsBefore(text, end);
  if (to <= from) return g_strdup("");
  return g_strdup(Utf16ToUtf8(text.substr(size_t(from), size_t(to - from))).c_str());
}

gchar* LineText(AtkText* object, gint start, gint end) {
  return TextBetween(TextOfObject(object), start, end);
}

gint LineLength(AtkText* object) {
  const std::u16string text = TextOfObject(object);
  return CharactersBefore(text, int32_t(text.size()));
}

gint LineCaret(AtkText* object) {
  const AccessibleNode* node = NodeOfObject(object);
  return node ? CharactersBefore(node->text, node->caret) : 0;
}

gunichar LineCharacter(AtkText* object, gint offset) {
  const std::u16string text = TextOfObject(object);
  const int32_t at = UnitsBefore(text, offset);
  if (at >= int32_t(text.size())) return 0;
  const char16_t c = text[size_t(at)];
  if (c >= 0xD800 && c <= 0xDBFF && size_t(at) + 1 < text.size())
    return 0x10000 + ((gunichar(c) - 0xD800) << 10) + (gunichar(text[size_t(at) + 1]) - 0xDC00);
  return c;
}

// One line holds no line breaks, and an expression no words worth the name: every unit but the
// character is the whole line.
gchar* LineStringAt(AtkText* object, gint offset, AtkTextGranularity granularity, gint* start,
                    gint* end) {
  const std::u16string text = TextOfObject(object);
  const gint length = CharactersBefore(text, int32_t(text.size()));
  if (granularity == ATK_TEXT_GRANULARITY_CHAR) {
    *start = std::clamp(offset, 0, length);
    *end = std::min(*start + 1, length);
  } else {
    *start = 0;
    *end = length;
  }
  return TextBetween(text, *start, *end);
}

gchar* LineTextAt(AtkText* object, gint offset, AtkTextBoundary boundary, gint* start, gint* end) {
  return LineStringAt(
      object, offset,
      boundary == ATK_TEXT_BOUNDARY_CHAR ? ATK_TEXT_GRANULARITY_CHAR : ATK_TEXT_GRANULARITY_LINE,
      start, end);
}

gint LineSelectionCount(AtkText* object) {
  const AccessibleNode* node = NodeOfObject(object);
  return node && node->caret != node->anchor ? 1 : 0;
}

gchar* LineSelection(AtkText* object, gint index, gint* start, gint* end) {
  *start = *end = 0;
  const AccessibleNode* node = NodeOfObject(object);
  if (node == nullptr || index != 0 || node->caret == node->anchor) return nullptr;
  *start = CharactersBefore(node->text, std::min(node->caret, node->anchor));
  *end = CharactersBefore(node->text, std::max(node->caret, node->anchor));
  return TextBetween(node->text, *start, *end);
}

void LineTextInit(AtkTextIface* iface) {
  iface->get_text = LineText;
  iface->get_character_count = LineLength;
  iface->get_caret_offset = LineCaret;
  iface->get_character_at_offset = LineCharacter;
  iface->get_string_at_offset = LineStringAt;
  iface->get_text_at_offset = LineTextAt;
  iface->get_n_selections = LineSelectionCount;
  iface->get_selection = LineSelection;
}

G_DEFINE_TYPE_WITH_CODE(TvPart, tv_part, ATK_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_COMPONENT, PartComponentInit))
G_DEFINE_TYPE_WITH_CODE(TvPressable, tv_pressable, tv_part_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_ACTION, PartActionInit))
G_DEFINE_TYPE_WITH_CODE(TvTextPart, tv_text_part, tv_part_get_type(),
                        G_IMPLEMENT_INTERFACE(ATK_TYPE_TEXT, LineTextInit))

static void tv_part_init(TvPart*) {}
static void tv_part_class_init(TvPartClass* type) {
  AtkObjectClass* atk = ATK_OBJECT_CLASS(type);
  atk->get_n_children = PartChildCount;
  atk->ref_child = PartChild;
  atk->get_index_in_parent = PartIndex;
  atk->ref_state_set = PartStates;
}
static void tv_pressable_init(TvPart*) {}
static void tv_pressable_class_init(TvPartClass*) {}
static void tv_text_part_init(TvPart*) {}
static void tv_text_part_class_init(TvPartClass*) {}

// --- The window's accessible object --------------------------------------------------------------

struct TvWindowAccessible {
  GtkWindowAccessible parent;
};
struct TvWindowAccessibleClass {
  GtkWindowAccessibleClass parent;
};
GType tv_window_accessible_get_type();

WindowHandle WindowOfAccessible(AtkObject* object) {
  GtkWidget* widget = gtk_accessible_get_widget(GTK_ACCESSIBLE(object));
  const WindowRecord* record = widget ? FindRecordOfWidget(widget) : nullptr;
  return record ? record->handle : 0;
}

AtkObjectClass* GtkWindowAccessibleClassOf() {
  return ATK_OBJECT_CLASS(g_type_class_peek(GTK_TYPE_WINDOW_ACCESSIBLE));
}

gint WindowChildCount(AtkObject* object) {
  if (object == nullptr) return 0;
  return GtkWindowAccessibleClassOf()->get_n_children(object) +
         gint(ChildrenOf(WindowOfAccessible(object), 0).size());
}

AtkObject* WindowChild(AtkObject* object, gint index) {
  const gint own = GtkWindowAccessibleClassOf()->get_n_children(object);
  if (index < own) return GtkWindowAccessibleClassOf()->ref_child(object, index);
  const WindowHandle window = WindowOfAccessible(object);
  const std::vector<int32_t> ids = ChildrenOf(window, 0);
  if (size_t(index - own) >= ids.size()) return nullptr;
  AtkObject* child = ObjectOf(window, ids[size_t(index - own)]);
  return child ? ATK_OBJECT(g_object_ref(child)) : nullptr;
}

// A window that shows nothing and lets every click through (a colour-keyed twin laid on another
// window) is nothing a reader should offer: it says it is redundant and not showing.
bool ShowsNothing(AtkObject* object) {
  const WindowRecord* record = FindRecord(WindowOfAccessible(object));
  return record != nullptr && record->layered &&
         record->layer == WindowRecord::Layer::kAttributes &&
         AttributesHideEverything(record->attributes, record->background);
}

AtkRole WindowRole(AtkObject* object) {
  return ShowsNothing(object) ? ATK_ROLE_REDUNDANT_OBJECT
                              : GtkWindowAccessibleClassOf()->get_role(object);
}

AtkStateSet* WindowStates(AtkObject* object) {
  AtkStateSet* states = GtkWindowAccessibleClassOf()->ref_state_set(object);
  if (ShowsNothing(object)) {
    for (AtkStateType state : {ATK_STATE_VISIBLE, ATK_STATE_SHOWING, ATK_STATE_FOCUSABLE})
      atk_state_set_remove_state(states, state);
  }
  return states;
}

G_DEFINE_TYPE(TvWindowAccessible, tv_window_accessible, GTK_TYPE_WINDOW_ACCESSIBLE)
static void tv_window_accessible_init(TvWindowAccessible*) {}
static void tv_window_accessible_class_init(TvWindowAccessibleClass* type) {
  ATK_OBJECT_CLASS(type)->get_n_children = WindowChildCount;
  ATK_OBJECT_CLASS(type)->ref_child = WindowChild;
  ATK_OBJECT_CLASS(type)->get_role = WindowRole;
  ATK_OBJECT_CLASS(type)->ref_state_set = WindowStates;
}

struct TvWindow {
  GtkWindow parent;
};
struct TvWindowClass {
  GtkWindowClass parent;
};
GType tv_window_get_type();
G_DEFINE_TYPE(TvWindow, tv_window, GTK_TYPE_WINDOW)
static void tv_window_init(TvWindow*) {}
static void tv_window_class_init(TvWindowClass* type) {
  gtk_widget_class_set_accessible_type(GTK_WIDGET_CLASS(type), tv_window_accessible_get_type());
}

// --- Telling the changes ------------------------------------------------------------------------

AtkRole RoleOf(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::kButton: return ATK_ROLE_PUSH_BUTTON;
    case AccessibleRole::kRadioButton: return ATK_ROLE_RADIO_BUTTON;
    case AccessibleRole::kLabel: return ATK_ROLE_LABEL;
    case AccessibleRole::kTextLine: return ATK_ROLE_ENTRY;
    case AccessibleRole::kList: return ATK_ROLE_LIST;
    case AccessibleRole::kListItem: return ATK_ROLE_LIST_ITEM;
  }
  return ATK_ROLE_UNKNOWN;
}

AtkObject* NewPartObject(WindowHandle window, const AccessibleNode& node) {
  GType type = tv_part_get_type();
  if (node.role == AccessibleRole::kButton || node.role == AccessibleRole::kRadioButton)
    type = tv_pressable_get_type();
  if (node.role == AccessibleRole::kTextLine) type = tv_text_part_get_type();
  AtkObject* object = ATK_OBJECT(g_object_new(type, nullptr));
  PartOf(object)->window = window;
  PartOf(object)->id = node.id;
  atk_object_set_role(object, RoleOf(node.role));
  atk_object_set_name(object, Utf16ToUtf8(node.name).c_str());
  return object;
}

AtkObject* ParentObject(WindowHandle window, int32_t parent) {
  if (parent != 0) return ObjectOf(window, parent);
  const WindowRecord* record = FindRecord(window);
  return record ? gtk_widget_get_accessible(record->widget) : nullptr;
}

// Where the node stood among its siblings in the list, the window's own children first.
gint IndexAmong(WindowHandle window, const std::vector<AccessibleNode>& nodes,
                const AccessibleNode& node) {
  gint index = 0;
  for (const AccessibleNode& other : nodes) {
    if (other.id == node.id) break;
    if (other.parent == node.parent) ++index;
  }
  const WindowRecord* record = FindRecord(window);
  if (node.parent == 0 && record != nullptr)
    index +=
        GtkWindowAccessibleClassOf()->get_n_children(gtk_widget_get_accessible(record->widget));
  return index;
}

// Parts that went are said gone (and dead, for a reader that holds on to them); parts that came
// are made and said added, each under its parent.
void RebuildParts(WindowHandle window, PartsRecord& record,
                  const std::vector<AccessibleNode>& before) {
  for (const AccessibleNode& old : before) {
    // A part that changed its kind or its place in the tree is another object.
    const AccessibleNode* kept = FindAccessibleNode(record.nodes, old.id);
    if (kept != nullptr && kept->role == old.role && kept->parent == old.parent) continue;
    AtkObject* object = record.objects[old.id];
    record.objects.erase(old.id);
    if (AtkObject* parent = ParentObject(window, old.parent))
      g_signal_emit_by_name(parent, "children-changed::remove", IndexAmong(window, before, old),
                            object);
    atk_object_notify_state_change(object, ATK_STATE_DEFUNCT, TRUE);
    g_object_unref(object);
  }
  for (const AccessibleNode& node : record.nodes) {
    if (record.objects.count(node.id) != 0) continue;
    AtkObject* object = NewPartObject(window, node);
    record.objects[node.id] = object;
    AtkObject* parent = ParentObject(window, node.parent);
    if (parent == nullptr) continue;
    atk_object_set_parent(object, parent);
    g_signal_emit_by_name(parent, "children-changed::add", PartIndex(object), object);
  }
}

void Tell(WindowHandle window, const AccessibleChange& change, const AccessibleNode* old,
          const AccessibleNode& now) {
  AtkObject* object = ObjectOf(window, now.id);
  if (object == nullptr) return;
  using Kind = AccessibleChange::Kind;
  switch (change.kind) {
    case Kind::kParts: break;
    case Kind::kName: atk_object_set_name(object, Utf16ToUtf8(now.name).c_str()); break;
    case Kind::kBounds: {
      AtkRectangle box{};
      PartExtents(ATK_COMPONENT(object), &box.x, &box.y, &box.width, &box.height, ATK_XY_SCREEN);
      g_signal_emit_by_name(object, "bounds-changed", &box);
      atk_object_notify_state_change(object, ATK_STATE_SHOWING, IsShowing(window, now));
      break;
    }
    case Kind::kChecked:
      atk_object_notify_state_change(object, ATK_STATE_CHECKED, now.checked);
      break;
    case Kind::kFocused:
      atk_object_notify_state_change(object, ATK_STATE_FOCUSED, now.focused);
      break;
    case Kind::kTextRemoved:
      if (old != nullptr) {
        const std::u16string_view text = old->text;
        const std::string removed =
            Utf16ToUtf8(text.substr(size_t(change.start), size_t(change.length)));
        g_signal_emit_by_name(object, "text-remove", CharactersBefore(text, change.start),
                              CharactersBefore(text, change.start + change.length) -
                                  CharactersBefore(text, change.start),
                              removed.c_str());
      }
      break;
    case Kind::kTextInserted: {
      const std::u16string_view text = now.text;
      const std::string inserted =
          Utf16ToUtf8(text.substr(size_t(change.start), size_t(change.length)));
      g_signal_emit_by_name(object, "text-insert", CharactersBefore(text, change.start),
                            CharactersBefore(text, change.start + change.length) -
                                CharactersBefore(text, change.start),
                            inserted.c_str());
      break;
    }
    case Kind::kCaret:
      g_signal_emit_by_name(object, "text-caret-moved", CharactersBefore(now.text, now.caret));
      break;
    case Kind::kSelection: g_signal_emit_by_name(object, "text-selection-changed"); break;
  }
}

}  // namespace

namespace gtkbackend {

GtkWidget* NewWindowWidget() {
  return GTK_WIDGET(g_object_new(tv_window_get_type(), "type", GTK_WINDOW_TOPLEVEL, nullptr));
}

void ForgetAccessibleParts(WindowHandle window) {
  auto it = Parts().find(window);
  if (it == Parts().end()) return;
  for (auto& [id, object] : it->second.objects) {
    atk_object_notify_state_change(object, ATK_STATE_DEFUNCT, TRUE);
    g_object_unref(object);
  }
  Parts().erase(it);
}

}  // namespace gtkbackend

void SetAccessibleNodes(WindowHandle window, const std::vector<AccessibleNode>& nodes) {
  if (FindRecord(window) == nullptr) return;
  PartsRecord& record = Parts()[window];
  const std::vector<AccessibleNode> before = std::move(record.nodes);
  const std::vector<AccessibleChange> changes = CompareAccessibleNodes(before, nodes);
  record.nodes = nodes;
  for (const AccessibleChange& change : changes) {
    if (change.kind == AccessibleChange::Kind::kParts) {
      RebuildParts(window, record, before);
      continue;
    }
    if (const AccessibleNode* now = FindAccessibleNode(record.nodes, change.id))
      Tell(window, change, FindAccessibleNode(before, change.id), *now);
  }
}

void AnnounceAccessibly(WindowHandle window, std::u16string_view message) {
  const WindowRecord* record = FindRecord(window);
  if (record == nullptr) return;
  AtkObject* accessible = gtk_widget_get_accessible(record->widget);
  // ATK gained the announcement in 2.46; without it there is no way to speak unasked.
  if (accessible != nullptr && g_signal_lookup("announcement", ATK_TYPE_OBJECT) != 0)
    g_signal_emit_by_name(accessible, "announcement", Utf16ToUtf8(message).c_str());
}
