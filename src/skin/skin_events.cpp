// SPDX-License-Identifier: GPL-3.0-or-later
// Skinned windows at run time: following the mouse (hover, dragging the window, clicks on
// release), the active state, and moving, showing and hiding a window with its overlay.
#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "platform/input.h"
#include "skin/item_map.h"
#include "skin/skin.h"

int32_t skinEventWindow = -1;
int32_t skinEventItem = -1;
Event skinLastEvent;

namespace {

// The longest wait of WaitSkinEvent, for loops that must look again soon, input or not (a
// selection whose button release may go to another program).
constexpr int32_t kSkinWaitMs = 50;
// How far, in pixels on each axis, the pointer may wander between a press and its release for
// them to stay a click: a drag starts only beyond.
constexpr int32_t kClickSlop = 2;

void PlaceSkinWindow(const SkinWindow& record, int32_t x, int32_t y) {
  MoveWindowTo(record.windowHandle, x, y);
  MoveWindowTo(record.overlayHandle, x, y);
}

// What an event changed: whole windows (their active state), and items whose hover changed.
struct Redraws {
  std::vector<int32_t> windows;
  std::vector<const SkinItem*> items;
};

void AskRedraw(Redraws& asked, int32_t window) {
  if (std::find(asked.windows.begin(), asked.windows.end(), window) == asked.windows.end())
    asked.windows.push_back(window);
}

void AskRedraw(Redraws& asked, const SkinItem& item) {
  if (std::find(asked.items.begin(), asked.items.end(), &item) == asked.items.end())
    asked.items.push_back(&item);
}

// Each window asked for whole once; elsewhere only the boxes of the items asked for. The
// pointer crossing from key to key changes two keys, not the window.
void Redraw(Redraws& asked) {
  for (int32_t window : asked.windows) RedrawSkinWindow(window);
  std::vector<int32_t> done = asked.windows;
  for (const SkinItem* item : asked.items) {
    if (std::find(done.begin(), done.end(), item->window) != done.end()) continue;
    done.push_back(item->window);
    std::vector<const SkinItem*> items;
    for (const SkinItem* other : asked.items) {
      if (other->window == item->window) items.push_back(other);
    }
    RedrawSkinItems(items);
  }
  asked = {};
}

// Lights the window's item under the mouse, given in client pixels (nullopt: the pointer is
// outside the window), and returns it, nullptr when there is none. A change asks for a redraw
// of the item and of the items that light with it.
const SkinItem* FollowHover(const SkinWindow& record,
                            std::optional<std::pair<int32_t, int32_t>> mouse, Redraws& asked) {
  // A map pixel names at most one item, so the pixel under the mouse alone tells which item is
  // hot: this runs on every event, and needs no test per item.
  int32_t hotColour = -1;  // no item's: colours are never negative
  if (mouse) {
    hotColour = ItemColourAt(record.itemMap, mouse->first, mouse->second);
  }
  const SkinItem* hotItem = nullptr;
  for (SkinItem& item : skinItems) {
    if (item.window != record.window) continue;
    int32_t hot = item.colour == hotColour;
    if (hot != 0 && hotItem == nullptr) hotItem = &item;
    if (hot == item.hot) continue;
    item.hot = hot;
    AskRedraw(asked, item);
    for (const SkinItem& follower : skinItems) {
      if (follower.link == item.colour) AskRedraw(asked, follower);
    }
  }
  return hotItem;
}

}  // namespace

void MoveSkinWindow(int32_t window, int32_t x, int32_t y) {
  if (const SkinWindow* record = FindSkinWindow(window)) PlaceSkinWindow(*record, x, y);
}

void HideSkinWindow(int32_t window, int32_t hide) {
  SkinWindow* record = FindSkinWindow(window);
  if (record == nullptr) return;
  // A window shown for the first time, or changed while hidden, gets its frame before the
  // window system maps it, so the first frame seen is already the right one.
  if (hide == 0 && record->stale != 0) ComposeSkinWindow(*record);
  // The overlay goes first both ways: shown last, the main window takes the foreground and with
  // it the keyboard; hidden last, the foreground leaves the pair entirely.
  SetWindowShown(record->overlayHandle, hide == 0);
  SetWindowShown(record->windowHandle, hide == 0);
}

int32_t WaitSkinEvent() { return WaitSkinEventUntil(kSkinWaitMs); }

int32_t WaitSkinEventUntil(int32_t timeoutMs) {
  Event event = WaitForEvent(timeoutMs);
  ProcessSkinEvent(event);
  return event.code;
}

int32_t PollSkinEvent() {
  Event event = PollEvent();
  if (event.code != kEventNone) ProcessSkinEvent(event);
  return event.code;
}

void ProcessSkinEvent(const Event& event) {
  skinEventWindow = -1;
  skinEventItem = -1;
  skinLastEvent = event;
  // A timer's tick cannot move the pointer or a window: asking the window system where the
  // pointer is (a round trip to the X server) would only wake the process again.
  const bool followsPointer = event.code != kEventTimer;
  int32_t cursorX = 0, cursorY = 0;
  bool cursorKnown = followsPointer && GetCursorScreenPosition(&cursorX, &cursorY);
  // A mouse event says where the pointer was when it happened: a click queued behind others is
  // taken where it was made, not where the pointer has gone since (quick clicks on two keys,
  // a busy or remote desktop). While a window is dragged it moves under its own events, so
  // the pointer's place now is what counts then.
  const bool dragging = std::any_of(skinWindows.begin(), skinWindows.end(),
                                    [](const SkinWindow& record) { return record.dragX >= 0; });
  if (!dragging && IsButtonOrMove(event.code)) {
    for (const SkinWindow& record : skinWindows) {
      int32_t left = 0, top = 0;
      if (event.window == record.windowHandle &&
          GetWindowPosition(record.windowHandle, &left, &top)) {
        cursorX = left + event.x;
        cursorY = top + event.y;
        cursorKnown = true;
      }
    }
  }
  WindowHandle foreground = ForegroundWindow();
  Redraws asked;
  for (SkinWindow& record : skinWindows) {
    // A release the window never received (a menu or another program took it) must not leave
    // the window following the pointer.
    if (record.dragX >= 0 && event.code != kEventLeftUp && !IsLeftButtonHeld()) {
      record.dragX = -1;
      record.dragY = -1;
    }
    if (record.dragX >= 0 && cursorKnown && record.dragMoved == 0 &&
        (std::abs(cursorX - record.pressX) > kClickSlop ||
         std::abs(cursorY - record.pressY) > kClickSlop))
      record.dragMoved = 1;
    if (record.dragX >= 0 && cursorKnown && record.dragMoved != 0) {
      int32_t x = 0, y = 0;
      GetWindowPosition(record.windowHandle, &x, &y);
      // A window system may do real work for a move; the pointer is often still.
      if (x != cursorX - record.dragX || y != cursorY - record.dragY) {
        PlaceSkinWindow(record, cursorX - record.dragX, cursorY - record.dragY);
      }
    }

    int32_t active = foreground != 0 &&
                     (foreground == record.windowHandle || foreground == record.overlayHandle);
    if (active != record.active) {
      record.active = active;
      AskRedraw(asked, record.window);
    }

    std::optional<std::pair<int32_t, int32_t>> mouse;
    int32_t left = 0, top = 0, width = 0, height = 0;
    if (cursorKnown && GetWindowPosition(record.windowHandle, &left, &top) &&
        GetWindowClientSize(record.windowHandle, &width, &height)) {
      int32_t x = cursorX - left, y = cursorY - top;
      if (x >= 0 && y >= 0 && x < width && y < height) mouse = std::pair(x, y);
    }
    const SkinItem* hot = nullptr;
    if (followsPointer) hot = FollowHover(record, mouse, asked);

    if (event.window != 0 && event.window == record.windowHandle) {
      skinEventWindow = record.window;
      if (event.code == kEventLeftDown) {
        // The press is not forgotten when the button comes up unseen: a release already on its
        // way would lose its click (the pointer's state is read ahead of the queue).
        record.pressedItem = hot != nullptr ? hot->colour : -1;
        record.pressX = cursorX;
        record.pressY = cursorY;
        record.dragMoved = 0;
        if (hot == nullptr || hot->dragThrough != 0) {
          // Held by the point pressed, so the window keeps it under the pointer as it moves.
          record.dragX = event.x;
          record.dragY = event.y;
        }
      } else if (event.code == kEventLeftUp) {
        // Released on another item than the one pressed (a drag from key to key, from a
        // caption onto a key) or after moving the window: no click.
        if (hot != nullptr && hot->colour == record.pressedItem && record.dragMoved == 0)
          skinEventItem = hot->colour;
        record.dragX = -1;
        record.dragY = -1;
        record.pressedItem = -1;
        record.dragMoved = 0;
      } else if (event.code == kEventAccessibleAction) {
        // A screen reader's press names the item itself: a click without the pointer.
        for (const SkinItem& item : skinItems) {
          if (item.window == record.window && uint32_t(item.colour) == event.parameter) {
            skinEventItem = item.colour;
            break;
          }
        }
      }
    } else if (event.window != 0 && event.window == record.overlayHandle) {
      skinEventWindow = record.window;
    }

    Redraw(asked);
  }
}

int32_t ActiveSkinWindow() {
  for (auto it = skinWindows.rbegin(); it != skinWindows.rend(); ++it) {
    if (it->active != 0) return it->window;
  }
  return -1;
}

int32_t SkinEventWindow() { return skinEventWindow; }

int32_t SkinEventItem() { return skinEventItem; }

const Event& LastSkinEvent() { return skinLastEvent; }
