// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/event_loop.h"

#include <string>

#include "app/accessible_tree.h"
#include "app/calculation.h"
#include "app/edit_commands.h"
#include "app/items.h"
#include "app/menus.h"
#include "app/saving.h"
#include "app/skins.h"
#include "display/expression_line.h"
#include "display/history_panel.h"
#include "engine/evaluator.h"
#include "platform/clipboard.h"
#include "platform/caret_blink.h"
#include "platform/events.h"
#include "platform/timers.h"
#include "settings/settings.h"
#include "settings/text_table.h"
#include "skin/skin.h"

int32_t currentEvent = kEventNone;

namespace {

constexpr int32_t kWheelNotch = 120;

// The line's selection as last seen: a new one goes to the primary selection. A selection made
// again after it was cleared is offered again, since another program may have taken the primary
// selection meanwhile; a cleared one stays offered, as other programs leave theirs.
std::u16string seenSelection;

void OfferNewSelection() {
  const std::u16string_view selection = SelectedText();
  if (selection == seenSelection) return;
  seenSelection = selection;
  if (!seenSelection.empty()) SetPrimarySelectionText(seenSelection);
}

// The caret's blink: whether its timer runs; whether it was started for the main window having
// the keyboard, and which window (a new skin brings a new window, and the old one's timers go with
// it); the line's blink restart it started from; the desktop's rhythm read then; and how long the
// caret has blinked since, for the desktop's timeout.
struct CaretBlinking {
  bool running = false;
  bool following = false;
  WindowHandle window = 0;
  uint32_t restart = 0;
  CaretBlink rhythm;
  int64_t blinkedMs = 0;
  int64_t phaseStartMs = 0;
};
CaretBlinking caretBlinking;

void SetAngle(int32_t mode) {
  appSettings.angleMode = mode;
  SetAngleMode(mode);
  SetSkinItemState(kRadiansKey, mode == 1);
  SetSkinItemState(kDegreesKey, mode == 2);
}

struct KeyRow {
  int32_t key;
  void (*action)();
};

// Keys with an action of their own; Up and Down are listed to do nothing, so that they do not
// poll for a character like the other keys.
const KeyRow kKeys[] = {
    {kKeyRight, [] { MoveCaret({.delta = 1}); }},
    {kKeyLeft, [] { MoveCaret({.delta = -1}); }},
    {kKeyUp, [] {}},
    {kKeyDown, [] {}},
    {kKeyPageUp, HistoryOlder},
    {kKeyPageDown, HistoryNewer},
    {kKeyEnd, [] { MoveCaret({.toEnd = true}); }},
    {kKeyHome, [] { MoveCaret({.toStart = true}); }},
    {kKeyDelete, [] { DeleteAtCaret(DeleteDirection::kForwards); }},
    {kKeyBackspace, [] { DeleteAtCaret(DeleteDirection::kBackwards); }},
    {kKeyTab, [] { InsertText(TextOf(kTabInsert), {.pass = SpellingPass::kFinal}); }},
    {kKeyEnter, RunCalculation},
    // Escape also ends browsing the history, so that what is typed next is not hidden behind a
    // recalled entry; the clearing is a step of its own, which Ctrl+Z takes back.
    {kKeyEscape,
     [] {
       EndHistoryBrowsing();
       ClearExpression();
     }},
    {kKeyInsert, [] { InsertKeyCommand(LastSkinEvent().shift, LastSkinEvent().control); }},
};

// Typed characters a calculation may hold, and whether each puts the answer word first on an
// empty line; typing always rewrites while typing (SpellingPass::kWhileTyping).
struct CharacterRow {
  const char16_t* characters;
  bool answerFirst;
};
const CharacterRow kInsertedCharacters[] = {
    {u"+/*!^%><=", true},
    {u"-", false},
    {u"().,0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ", false},
};
// The control characters of Ctrl with a letter, and what each does.
struct ControlRow {
  char16_t character;
  void (*action)();
};
void Undo() { UndoLineEdit(); }
void Redo() { RedoLineEdit(); }
const ControlRow kControlCharacters[] = {
    {u'A' - 64, SelectWholeLine},
    {u'C' - 64, CopySelection},
    {u'V' - 64, PasteText},
    {u'X' - 64, CutSelection},
    {u'Y' - 64, Redo},
    // Ctrl+Shift+Z gives the same character as Ctrl+Z; Shift, held with the key, makes it a redo.
    {u'Z' - 64, [] { LastSkinEvent().shift ? Redo() : Undo(); }},
};

void HandleCharacter(char16_t character) {
  for (const ControlRow& row : kControlCharacters) {
    if (row.character == character) return row.action();
  }
  for (const CharacterRow& row : kInsertedCharacters) {
    if (std::u16string_view(row.characters).find(character) != std::u16string_view::npos) {
      InsertText(std::u16string(1, character), {.answerFirst = row.answerFirst});
      return;
    }
  }
}

void HandleKey(int32_t key) {
  for (const KeyRow& row : kKeys) {
    if (row.key == key) {
      row.action();
      return;
    }
  }
  // Any other key: its character, if it gives one, is queued right behind it.
  Event next = PollEvent();
  ProcessSkinEvent(next);
  currentEvent = next.code;
  if (next.code == kEventCharacter) {
    // The keypad's decimal key gives the layout's decimal sign, a comma in many; a calculation
    // reads only ".".
    HandleCharacter(key == kKeyDecimal ? u'.' : static_cast<char16_t>(next.parameter));
    return;
  }
  // A key that gives no character (F5, Insert, Ctrl with a digit): what the poll found came
  // after it, a key typed quickly or a click, and is handled as the loop would have, so that
  // no input is lost.
  if (SkinEventWindow() == 0) {
    HandleItemClick(SkinEventItem());
    HandleWindowEvent(next.code);
  }
}

// A click on the history panel: on an entry's expression it goes into the line, as Page Up
// would bring it; on its answer, the answer goes in at the caret with every digit.
void ClickHistory() {
  const SkinItem* item = FindSkinItem(kHistoryItem);
  const Event& release = LastSkinEvent();
  if (item == nullptr) return;
  const HistoryHit hit = HistoryEntryAt(release.x - item->left, release.y - item->top);
  if (hit.entry < 0) return;
  const HistoryEntry& entry = historyList.entries[size_t(hit.entry)];
  if (hit.part == HistoryPart::kExpression) {
    RecallHistoryEntry(size_t(hit.entry));
  } else if (hit.part == HistoryPart::kAnswer && entry.errorKind == 0) {
    InsertAnswer(entry.answer);
  }
}

void ShowCaret() {
  if (expressionLine.caretShown) return;
  expressionLine.caretShown = true;
  DrawExpressionLine();
}

// Each phase has its own length; once the desktop's timeout has passed the caret stays shown and
// the timer stops, so that a window left in front no longer wakes the program.
void TickCaret() {
  CaretBlinking& b = caretBlinking;
  // A tick queued before the timer stopped or started over belongs to no phase of this blink.
  const int64_t phaseMs = expressionLine.caretShown ? b.rhythm.shownMs : b.rhythm.hiddenMs;
  if (!b.running || ClockMs() - b.phaseStartMs < phaseMs / 2) return;
  b.phaseStartMs = ClockMs();
  b.blinkedMs += phaseMs;
  expressionLine.caretShown = !expressionLine.caretShown;
  if (expressionLine.caretShown && b.blinkedMs >= b.rhythm.timeoutMs) {
    StopTimer(b.window, kCaretTimer);
    b.running = false;
  } else {
    const int32_t next = expressionLine.caretShown ? b.rhythm.shownMs : b.rhythm.hiddenMs;
    b.running = StartTimer(b.window, kCaretTimer, next);
  }
  DrawExpressionLine();
}

// The caret blinks only while the main window has the keyboard: elsewhere it is not drawn, and
// its timer would wake the program for nothing. Gaining the keyboard, input, and a move or an
// edit of the line start the blink over in its shown phase, at the desktop's rhythm then.
void FollowCaretTimer(bool restartBlink) {
  CaretBlinking& b = caretBlinking;
  const WindowHandle window = SkinWindowHandle(kMainWindow);
  if (window == 0 || ActiveSkinWindow() != kMainWindow) {
    if (b.running) StopTimer(b.window, kCaretTimer);
    b.running = b.following = false;
    ShowCaret();  // back in front, the caret shows at once
    return;
  }
  const uint32_t restart = expressionLine.blinkRestarts;
  if (b.following && !restartBlink && window == b.window && restart == b.restart) return;
  if (b.running) StopTimer(b.window, kCaretTimer);
  b = {.following = true,
       .window = window,
       .restart = restart,
       .rhythm = DesktopCaretBlink(),
       .phaseStartMs = ClockMs()};
  ShowCaret();
  if (b.rhythm.blinks) b.running = StartTimer(window, kCaretTimer, b.rhythm.shownMs);
}

// The user's own doing to the main window: it may change the line, and it starts the caret's
// blink over.
bool IsInput(int32_t event) {
  switch (event) {
    case kEventKeyDown:
    case kEventLeftDown:
    case kEventLeftUp:
    case kEventMiddleDown:
    case kEventWheel:
    case kEventMenuCommand:
    case kEventAccessibleAction: return true;
    default: return false;
  }
}

// Whether handling the event may change what assistive technology is told of the window: input
// and the focus may; the caret's ticks and the pointer's moves, many a second, never do.
bool MayChangeParts(int32_t event) {
  return IsInput(event) || event == kEventFocus || event == kEventActivate;
}

}  // namespace

void RunEventLoop() {
  bool restartBlink = false;
  for (;;) {
    FollowCaretTimer(restartBlink);
    // What is ready now first: the desktop may have work that gives no event (a key's
    // release), and the loop must not fall asleep before the quiet moment's save.
    currentEvent = PollSkinEvent();
    if (currentEvent == kEventNone) {
      // A quiet moment: the save goes to the background before the loop sleeps.
      SaveChangesInBackground();
      // Asleep until there is something to do: input, a change of focus, the pointer leaving,
      // the caret's next phase, or a failed save's retry. Every change the skin follows comes as
      // an event of its own, so no pass is needed to notice one.
      currentEvent = WaitSkinEventUntil(SaveWaitMs());
    }
    // Started again in this folder: the window comes to the front, as a desktop calculator's does.
    if (currentEvent == kEventActivate) HideSkinWindow(kMainWindow, kShowWindow);
    // The two displays look selected while the main window is the active one.
    const int32_t active = ActiveSkinWindow() == 0 ? 1 : 0;
    SetSkinItemState(kHistoryItem, active);
    SetSkinItemState(kExpressionItem, active);
    const bool mayChangeParts = MayChangeParts(currentEvent);
    // The focus may come back between two passes, unseen by FollowCaretTimer's own look.
    restartBlink = SkinEventWindow() == 0 && (IsInput(currentEvent) || currentEvent == kEventFocus);
    DispatchSkinEvent();
    if (currentEvent == kEventClose) return;
    if (mayChangeParts) PublishAccessibleTree();
  }
}

void DispatchSkinEvent() {
  if (SkinEventWindow() != 0) return;
  // Only input can change the line; the caret's timer and the pointer's moves, many a second,
  // are not worth a copy of it.
  const bool input = IsInput(currentEvent);
  if (input) BeginLineEdit();
  HandleItemClick(SkinEventItem());
  HandleWindowEvent(currentEvent);
  if (input) {
    EndLineEdit();
    OfferNewSelection();
  }
}

void HandleItemClick(int32_t colour) {
  if (colour == kHistoryItem) return ClickHistory();
  for (const MainItem& item : MainItems()) {
    if (item.colour != colour) continue;
    switch (item.action) {
      case ItemAction::kNone: break;
      case ItemAction::kInsert:
        InsertText((item.insertText ? TextOf(item.insertText) : std::u16string()) + item.piece,
                   item.insert);
        break;
      case ItemAction::kRadians: SetAngle(1); break;
      case ItemAction::kDegrees: SetAngle(2); break;
      case ItemAction::kCalculate: RunCalculation(); break;
      case ItemAction::kFunctionMenu: ShowMenu(kFunctionMenu); break;
      case ItemAction::kQuit: currentEvent = kEventClose; break;
    }
    return;
  }
}

void HandleWindowEvent(int32_t event) {
  const Event& last = LastSkinEvent();
  switch (event) {
    case kEventTimer:
      if (last.parameter == uint32_t(kCaretTimer)) TickCaret();
      break;
    case kEventRightUp: ShowMenu(IsSkinItemHot(kExpressionItem) ? kEditMenu : kSkinMenu); break;
    case kEventLeftDown:
      if (IsSkinItemHot(kExpressionItem)) {
        PlaceCaretByMouse();
        // A close request that arrived while the mouse was selecting still ends the program.
        if (LastSkinEvent().code == kEventClose) currentEvent = kEventClose;
      }
      break;
    case kEventMiddleDown:
      if (IsSkinItemHot(kExpressionItem)) PastePrimaryAtPointer();
      break;
    case kEventWheel:
      // One call per event, whatever the number of notches: a whole notch away from the user goes
      // to older entries; anything else, a partial notch included, to newer ones.
      if (WheelDelta(last) / kWheelNotch > 0)
        HistoryOlder();
      else
        HistoryNewer();
      break;
    case kEventKeyDown: HandleKey(static_cast<int32_t>(last.parameter)); break;
    case kEventMenuCommand: HandleMenuCommand(static_cast<int32_t>(last.parameter)); break;
    case kEventScaleChanged: ChangeDisplayScale(ScaleOfEvent(last)); break;
    default: break;
  }
}

void ResetEventLoop() {
  currentEvent = kEventNone;
  seenSelection.clear();
  caretBlinking = {};
}
