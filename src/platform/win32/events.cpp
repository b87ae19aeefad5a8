// SPDX-License-Identifier: GPL-3.0-or-later
// The event queue on the Windows message queue: messages become the event layer's codes, window
// timers are SetTimer's, and a wait sleeps in MsgWaitForMultipleObjects until a message or the
// time-out.
#include <windowsx.h>

#include <algorithm>
#include <cmath>

#include "platform/event_queue.h"
#include "platform/events.h"
#include "platform/input.h"
#include "platform/monitors.h"
#include "platform/text.h"
#include "platform/process.h"
#include "platform/timers.h"
#include "platform/win32/state.h"
#include "platform/win32/win32_control.h"

namespace win32backend {

void PostEvent(const Event& event) { TheState().queue.push_back(event); }

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace {

// One pass over the messages that find work may queue a few events; a poll stops after this
// many messages so that a stream of messages cannot keep it from returning.
constexpr int kPollMessages = 64;

// The virtual-key codes the event layer passes on as they are; every other key that types
// (punctuation, keys of other layouts) is kKeyPacket, and keys that only change the keyboard's
// state (modifiers, locks) are no key press at all.
int32_t KeyCodeOf(WPARAM key) {
  switch (key) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_LSHIFT:
    case VK_RSHIFT:
    case VK_LCONTROL:
    case VK_RCONTROL:
    case VK_LMENU:
    case VK_RMENU:
    case VK_LWIN:
    case VK_RWIN:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL: return 0;
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
    case VK_SPACE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_INSERT:
    case VK_DELETE:
    case VK_APPS: return int32_t(key);
    default: break;
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return int32_t(key);
  if (key >= VK_NUMPAD0 && key <= VK_DIVIDE) return int32_t(key);  // the keypad's own codes
  if (key >= VK_F1 && key <= VK_F24) return int32_t(key);
  return kKeyPacket;
}

// The session ends: logoff, shutdown, restart, an installer's restart manager. The system asks
// first (WM_QUERYENDSESSION), then ends the process soon after WM_ENDSESSION returns, with no
// time for the event loop to come round: like a lost X server, the program saves what it must
// here, on both messages, in case the second never comes. Every top-level window gets them,
// the helper too, which exists before the main window and beside any dialog.
LRESULT SessionMessage(UINT message, WPARAM wParam) {
  void (*save)() = TheState().desktopLost;
  if (message == WM_QUERYENDSESSION) {
    if (save) save();
    return TRUE;  // the session may end
  }
  if (wParam) {  // it does end (FALSE: it was cancelled, and the program goes on)
    if (save) save();
    ExitProcess(0);
  }
  return 0;
}

void PostMouse(const WindowRecord& record, int32_t code, LPARAM lParam, uint32_t parameter = 0) {
  PostEvent({code, record.handle, parameter, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
}

// While a button is held the window that got the press keeps the mouse, as on X11: moves and
// the release reach it even outside.
void Capture(HWND hwnd, bool pressed) {
  if (pressed) {
    SetCapture(hwnd);
  } else if (!(GetKeyState(VK_LBUTTON) & 0x8000) && !(GetKeyState(VK_RBUTTON) & 0x8000) &&
             !(GetKeyState(VK_MBUTTON) & 0x8000)) {
    ReleaseCapture();
  }
}

void Paint(HWND hwnd, const WindowRecord* record) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd, &paint);
  if (record) {
    Pixel c = record->background;
    HBRUSH brush = CreateSolidBrush(RGB(PixelRed(c), PixelGreen(c), PixelBlue(c)));
    FillRect(dc, &paint.rcPaint, brush);
    DeleteObject(brush);
  }
  EndPaint(hwnd, &paint);
}

}  // namespace

// Whether Shift was down when the message being handled was sent: GetKeyState follows the
// messages as they are read, where GetAsyncKeyState tells the keyboard's state now.
bool ShiftOfMessage() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }
// The same for Ctrl; AltGr, which Windows reports as Ctrl with Alt, is no Ctrl.
bool ControlOfMessage() {
  return (GetKeyState(VK_CONTROL) & 0x8000) != 0 && (GetKeyState(VK_MENU) & 0x8000) == 0;
}

// The mouse buttons' messages: a press (a double click is a press too) captures the pointer
// until the release, so that a release outside the window still reaches it.
const struct ButtonMessage {
  UINT message;
  bool press;
  int32_t event;
} kButtonMessages[] = {
    {WM_LBUTTONDOWN, true, kEventLeftDown},    {WM_LBUTTONDBLCLK, true, kEventLeftDown},
    {WM_LBUTTONUP, false, kEventLeftUp},       {WM_RBUTTONDOWN, true, kEventRightDown},
    {WM_RBUTTONDBLCLK, true, kEventRightDown}, {WM_RBUTTONUP, false, kEventRightUp},
    {WM_MBUTTONDOWN, true, kEventMiddleDown},  {WM_MBUTTONDBLCLK, true, kEventMiddleDown},
    {WM_MBUTTONUP, false, kEventMiddleUp},
};

LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = FindRecordOfHwnd(hwnd);
  if (!record) return DefWindowProcW(hwnd, message, wParam, lParam);
  for (const ButtonMessage& button : kButtonMessages) {
    if (button.message != message) continue;
    Capture(hwnd, button.press);
    PostMouse(*record, button.event, lParam);
    return 0;
  }
  switch (message) {
    case WM_CLOSE:
      PostEvent({kEventClose, record->handle, 0, 0, 0});
      return 0;  // the program decides whether the window goes
    case WM_GETOBJECT:
      if (LRESULT answer = AnswerAccessibilityRequest(*record, wParam, lParam)) return answer;
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_KEYDOWN:
      if (int32_t key = KeyCodeOf(wParam))
        PostEvent({kEventKeyDown, record->handle, uint32_t(key), 0, 0, ShiftOfMessage(),
                   ControlOfMessage()});
      return 0;
    case WM_CHAR:
      PostEvent({kEventCharacter, record->handle, uint32_t(wParam & 0xFFFF), 0, 0, ShiftOfMessage(),
                 ControlOfMessage()});
      return 0;
    case WM_MOUSEMOVE:
      // Windows tells of the pointer leaving only when asked, once per request; a program that
      // sleeps until input would otherwise keep a key lit after the pointer went away.
      if (!record->leaveTracked) {
        TRACKMOUSEEVENT track = {sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd, 0};
        record->leaveTracked = TrackMouseEvent(&track) != 0;
      }
      PostMouse(*record, kEventMouseMove, lParam);
      return 0;
    case WM_MOUSELEAVE:
      record->leaveTracked = false;
      PostEvent({kEventMouseLeave, record->handle, 0, 0, 0});
      return 0;
    case WM_ACTIVATE:
      PostEvent({kEventFocus, record->handle, LOWORD(wParam) != WA_INACTIVE ? 1u : 0u, 0, 0});
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_MOUSEWHEEL: {
      // The wheel's position is on the screen; the event layer's is in the window.
      POINT at = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ScreenToClient(hwnd, &at);
      PostEvent({kEventWheel, record->handle, WheelParameter(GET_WHEEL_DELTA_WPARAM(wParam)), at.x,
                 at.y});
      return 0;
    }
    case WM_TIMER:
      if (!TimerTickQueued(TheState().queue, record->handle, int32_t(wParam)))
        PostEvent({kEventTimer, record->handle, uint32_t(wParam), 0, 0});
      return 0;
    case WM_ERASEBKGND: return 1;  // WM_PAINT fills the whole window
    case WM_PAINT: Paint(hwnd, record); return 0;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: return SessionMessage(message, wParam);
    case WM_DPICHANGED: {
      // The program draws itself again at the new scale and places the window itself, so the
      // size Windows suggests is not taken.
      const double scale = RoundScale(double(HIWORD(wParam)) / kBaseDpi);
      PostEvent({kEventScaleChanged, record->handle, uint32_t(std::lround(scale * 100)), 0, 0});
      return 0;
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK HelperProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  State& s = TheState();
  switch (message) {
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: return SessionMessage(message, wParam);
    case kSessionEndMessage: return SessionMessage(WM_ENDSESSION, TRUE);
    case kEndRequestMessage:
      s.endRequested = true;
      PostEvent({kEventClose, 0, 0, 0, 0});
      EndMenu();  // an open popup menu would hold the loop back
      return 0;
    case kFrontRequestMessage: PostEvent({kEventActivate, 0, 0, 0, 0}); return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void PumpMessages() {
  MSG message;
  for (int n = 0; n < kPollMessages && TheState().queue.empty(); ++n) {
    if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) break;
    // WM_QUIT is never posted by this program; another's is ignored like any stray message.
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace win32backend

using namespace win32backend;

Event WaitForEvent(int32_t timeoutMs) {
  State& s = TheState();
  if (!s.started) return {};
  if (s.queue.empty()) PumpMessages();
  const bool forever = timeoutMs == kWaitForever;
  int64_t end = ClockMs() + std::max(timeoutMs, 0);
  while (s.queue.empty()) {
    int64_t left = end - ClockMs();
    if (!forever && left <= 0) break;
    // Wakes for any message, including those already in the queue but seen by an earlier peek;
    // SetTimer's ticks are messages too, so without a limit the thread sleeps until one is due.
    MsgWaitForMultipleObjectsEx(0, nullptr, forever ? INFINITE : DWORD(left), QS_ALLINPUT,
                                MWMO_INPUTAVAILABLE);
    PumpMessages();
  }
  return PopEvent(s.queue);
}

bool IsEventWaiting() {
  State& s = TheState();
  if (!s.started) return false;
  MSG message;
  return !s.queue.empty() || PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
}

Event PollEvent() {
  if (!TheState().started) return {};
  if (TheState().queue.empty()) PumpMessages();
  return PopEvent(TheState().queue);
}

void PumpDesktop(int32_t milliseconds) {
  if (!TheState().started) return;
  int64_t end = ClockMs() + std::max(milliseconds, 0);
  MSG message;
  for (;;) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    int64_t left = end - ClockMs();
    if (left <= 0) break;
    MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(left), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

bool StartTimer(WindowHandle window, int32_t number, int32_t periodMs) {
  const WindowRecord* record = FindRecord(window);
  if (!record) return false;
  periodMs = std::max(periodMs, kMinimumTimerPeriodMs);
  // SetTimer with the same number replaces the period; a WM_TIMER is only made while the queue
  // holds nothing else, so a slow reader never gets a backlog.
  return SetTimer(record->hwnd, UINT_PTR(uint32_t(number)), UINT(periodMs), nullptr) != 0;
}

void StopTimer(WindowHandle window, int32_t number) {
  if (const WindowRecord* record = FindRecord(window))
    KillTimer(record->hwnd, UINT_PTR(uint32_t(number)));
}

int64_t ClockMs() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart / (frequency.QuadPart / 1000);
}

bool GetCursorScreenPosition(int32_t* x, int32_t* y) {
  POINT at = {0, 0};
  bool known = GetCursorPos(&at) != 0;
  if (x) *x = known ? at.x : 0;
  if (y) *y = known ? at.y : 0;
  return known;
}

bool IsShiftHeld() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

bool IsLeftButtonHeld() {
  // GetAsyncKeyState reads the physical buttons; with the buttons swapped the left one is the
  // user's right-hand button.
  int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (GetAsyncKeyState(button) & 0x8000) != 0;
}

WindowHandle ForegroundWindow() {
  const WindowRecord* record = FindRecordOfHwnd(GetForegroundWindow());
  return record && record->shown ? record->handle : 0;
}
