// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's services on Windows: start-up, the clipboard, the two dialogs, monitors, fonts
// and the process.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <optional>
#include <vector>

#include "platform/caret_blink.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"
#include "platform/monitors.h"
#include "platform/process.h"
#include "platform/text.h"
#include "platform/text_backend.h"
#include "platform/user_language.h"
#include "platform/win32/state.h"

using namespace win32backend;

namespace {

constexpr int32_t kDefaultDpi = 96;
// Another program may hold the clipboard for a moment; it is asked again a few times.
constexpr int kClipboardAttempts = 10;
constexpr DWORD kClipboardRetryMs = 10;

bool OpenTheClipboard() {
  for (int attempt = 0; attempt < kClipboardAttempts; ++attempt) {
    if (OpenClipboard(TheState().helper)) return true;
    Sleep(kClipboardRetryMs);
  }
  return false;
}

NONCLIENTMETRICSW NonClientMetrics() {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    metrics.cbSize = 0;
  return metrics;
}

}  // namespace

// --- Start and end ------------------------------------------------------------------------------

void SetDesktopLostHandler(void (*handler)()) { TheState().desktopLost = handler; }

bool IsEndRequested() { return TheState().endRequested; }

namespace {

// The helper window, for the console's handler, which runs on a thread of its own; set before
// the handler is.
HWND consoleEventTarget = nullptr;
// How long the handler holds the system back while the program saves and ends the process; the
// system ends it by itself some seconds after a console closes.
constexpr DWORD kSessionEndWaitMs = 10000;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    PostMessageW(consoleEventTarget, kEndRequestMessage, 0, 0);
    return TRUE;
  }
  // The console closes, or the session ends: the process goes as soon as this returns.
  PostMessageW(consoleEventTarget, kSessionEndMessage, 0, 0);
  Sleep(kSessionEndWaitMs);
  return TRUE;
}

}  // namespace

// The process knows its monitors' scales from the start, by its manifest.
bool ConnectDesktop() { return true; }

bool StartPlatform() {
  State& s = TheState();
  if (s.started) return true;
  s.instance = GetModuleHandleW(nullptr);
  // The language dialog's list and button in the visual style the manifest asks for.
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  if (!RegisterWindowClasses()) return false;
  s.helper = CreateWindowExW(0, kHelperClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                             s.instance, nullptr);
  if (!s.helper) return false;
  // Only reaches a program that has a console: one started from a console program that passed
  // it on, say.
  consoleEventTarget = s.helper;
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  s.started = true;
  return true;
}

void StopPlatform() {
  State& s = TheState();
  if (!s.started) return;
  DestroyAllMenus();
  // Timers and queued events belong to windows and go with them.
  CloseAllWindows();
  CloseAllFonts();
}

bool StartNewCopy() {
  std::u16string path = OwnExecutablePath();
  if (path.empty()) return false;
  std::wstring file = WideText(path);
  // The copy's command line is its own name alone, quoted for a path with spaces.
  std::wstring commandLine = L"\"" + file + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(file.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process))
    return false;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

namespace {

// A copy that starts while the one holding the folder is between taking the lock and naming
// its helper window asks again this many times, this far apart.
constexpr int kFrontRequestAttempts = 20;
constexpr DWORD kFrontRequestRetryMs = 50;

// The working folder's name for the mutex and the helper window: a hash of its final path (links
// followed), in lower case as the file system compares names.
std::wstring FolderKey() {
  std::wstring path(MAX_PATH, L'\0');
  HANDLE folder = CreateFileW(L".", 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  DWORD length = 0;
  if (folder != INVALID_HANDLE_VALUE) {
    length = GetFinalPathNameByHandleW(folder, path.data(), DWORD(path.size()), 0);
    if (length >= path.size()) {
      path.resize(length + 1);
      length = GetFinalPathNameByHandleW(folder, path.data(), DWORD(path.size()), 0);
    }
    CloseHandle(folder);
  }
  if (length == 0 || length >= path.size()) {
    length = GetCurrentDirectoryW(DWORD(path.size()), path.data());
    if (length >= path.size()) {
      path.resize(length + 1);
      length = GetCurrentDirectoryW(DWORD(path.size()), path.data());
    }
  }
  path.resize(length < path.size() ? length : 0);
  uint64_t hash = 0xCBF29CE484222325u;  // 64-bit FNV-1a
  for (char16_t unit : LowerCaseText(ProgramText(path))) hash = (hash ^ unit) * 0x100000001B3u;
  wchar_t key[32];
  swprintf(key, 32, L"Tornavelle-%016llx", static_cast<unsigned long long>(hash));
  return key;
}

// Asks the copy that holds the folder to come to the front, letting it take the foreground,
// which Windows grants only to the program the user just started. False when it cannot be found.
bool AskToFront(const std::wstring& key) {
  HWND helper = FindWindowW(kHelperClass, key.c_str());
  if (!helper) return false;
  DWORD owner = 0;
  GetWindowThreadProcessId(helper, &owner);
  AllowSetForegroundWindow(owner);
  return PostMessageW(helper, kFrontRequestMessage, 0, 0) != 0;
}

}  // namespace

// The file whose lock claims the folder; it also notes the session of the copy that holds it.
constexpr wchar_t kLockFile[] = L".Tornavelle.lock";
// The byte locked lies far beyond the note, which later starts must be able to read.
constexpr DWORD kLockedByteHigh = 1;

namespace {

// The session noted in the lock file by the copy that holds it; false when none can be read.
bool HolderSession(HANDLE lock, DWORD* session) {
  char note[16] = {};
  DWORD got = 0;
  OVERLAPPED at = {};
  if (!ReadFile(lock, note, sizeof note - 1, &got, &at) || got == 0) return false;
  char* end = nullptr;
  *session = DWORD(std::strtoul(note, &end, 10));
  return end != note;
}

}  // namespace

FolderClaim ClaimWorkingFolder() {
  State& s = TheState();
  if (s.folderLock) return FolderClaim::kClaimed;
  // A file in the folder, not a named object: every session of the user (the console and a
  // remote one) sees it. Without sharing its deletion, no one can delete or rename it while a
  // copy holds it open, and the system lets the lock go with the process, however it ends.
  HANDLE lock =
      CreateFileW(kLockFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (lock == INVALID_HANDLE_VALUE) return FolderClaim::kUnavailable;
  DWORD ownSession = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &ownSession);
  OVERLAPPED byte = {};
  byte.OffsetHigh = kLockedByteHigh;
  if (LockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &byte)) {
    char note[16];
    const int length =
        std::snprintf(note, sizeof note, "%lu", static_cast<unsigned long>(ownSession));
    DWORD put = 0;
    OVERLAPPED start = {};
    WriteFile(lock, note, DWORD(length), &put, &start);
    SetFilePointer(lock, length, nullptr, FILE_BEGIN);
    SetEndOfFile(lock);
    s.folderLock = lock;
    // Later starts in this session find this copy by its helper window's name.
    if (s.helper) SetWindowTextW(s.helper, FolderKey().c_str());
    return FolderClaim::kClaimed;
  }
  const DWORD refused = GetLastError();
  DWORD holder = 0;
  const bool noted = HolderSession(lock, &holder);
  CloseHandle(lock);
  if (refused != ERROR_LOCK_VIOLATION && refused != ERROR_IO_PENDING)
    return FolderClaim::kUnavailable;
  // In another session the window could not be seen, nor be given the foreground.
  if (noted && holder != ownSession) {
    s.otherCopyDisplay.clear();
    return FolderClaim::kOtherDisplay;
  }
  const std::wstring key = FolderKey();
  for (int attempt = 0; attempt < kFrontRequestAttempts; ++attempt) {
    if (AskToFront(key)) return FolderClaim::kOtherCopy;
    Sleep(kFrontRequestRetryMs);
  }
  return FolderClaim::kOtherCopy;  // held by a copy that never answers: still not two copies
}

std::u16string OtherCopyDisplay() { return TheState().otherCopyDisplay; }

void ReleaseWorkingFolder() {
  State& s = TheState();
  if (!s.folderLock) return;
  if (s.helper) SetWindowTextW(s.helper, L"");
  CloseHandle(s.folderLock);
  s.folderLock = nullptr;
}

void EndProgram(int32_t exitCode) { std::exit(exitCode); }

// --- Clipboard -----------------------------------------------------------------------------------

bool SetClipboardText(std::u16string_view text) {
  if (!TheState().started || !OpenTheClipboard()) return false;
  bool stored = false;
  if (EmptyClipboard()) {
    size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
      auto* units = static_cast<wchar_t*>(GlobalLock(memory));
      if (units) {
        std::copy(text.begin(), text.end(), units);
        units[text.size()] = L'\0';
        GlobalUnlock(memory);
        // The clipboard owns the memory once it takes it.
        stored = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
      }
      if (!stored) GlobalFree(memory);
    }
  }
  CloseClipboard();
  return stored;
}

std::u16string GetClipboardText() {
  if (!TheState().started || !IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenTheClipboard())
    return {};
  std::u16string text;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(memory))) {
      // The text ends at its NUL, or at the end of its memory when another program left none.
      size_t most = GlobalSize(memory) / sizeof(wchar_t), length = 0;
      while (length < most && units[length] != L'\0') ++length;
      text = ProgramText(std::wstring_view(units, length));
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return text;
}

// Windows has no primary selection: a selection is only copied when the user asks.
bool SetPrimarySelectionText(std::u16string_view) { return false; }
std::u16string GetPrimarySelectionText() { return {}; }

// The system says which language the user reads, whatever backend asks.
std::u16string UserLanguageTag() { return SystemUserLanguageTag(); }

// --- Dialogs ------------------------------------------------------------------------------------

void ShowMessageBox(WindowHandle owner, std::u16string_view title, std::u16string_view text) {
  if (!TheState().started) return;
  const WindowRecord* record = FindRecord(owner);
  MessageBoxW(record ? record->hwnd : nullptr, WideText(text).c_str(), WideText(title).c_str(),
              MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
}

bool AskQuestion(WindowHandle owner, std::u16string_view title, std::u16string_view text,
                 std::u16string_view firstAnswer, std::u16string_view secondAnswer) {
  if (!TheState().started) return false;
  const WindowRecord* record = FindRecord(owner);
  HWND parent = record ? record->hwnd : nullptr;
  const std::wstring message = WideText(text), caption = WideText(title);
  const std::wstring first = WideText(firstAnswer), second = WideText(secondAnswer);
  // A task dialog names its buttons in the calculator's language; it comes with the common
  // controls of version 6 only, which the manifest asks for, so it is looked up, not linked.
  using TaskDialogCall = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  auto taskDialog = controls ? reinterpret_cast<TaskDialogCall>(reinterpret_cast<void*>(
                                   GetProcAddress(controls, "TaskDialogIndirect")))
                             : nullptr;
  if (taskDialog) {
    const TASKDIALOG_BUTTON buttons[] = {{IDRETRY, first.c_str()}, {IDCANCEL, second.c_str()}};
    TASKDIALOGCONFIG config = {};
    config.cbSize = sizeof config;
    config.hwndParent = parent;
    config.dwFlags = TDF_POSITION_RELATIVE_TO_WINDOW;
    config.pszWindowTitle = caption.c_str();
    config.pszMainIcon = TD_WARNING_ICON;
    config.pszContent = message.c_str();
    config.cButtons = 2;
    config.pButtons = buttons;
    config.nDefaultButton = IDRETRY;
    int pressed = 0;
    if (SUCCEEDED(taskDialog(&config, &pressed, nullptr, nullptr))) return pressed == IDRETRY;
  }
  // Without it, the message box's Retry and Cancel speak the system's language.
  return MessageBoxW(parent, message.c_str(), caption.c_str(),
                     MB_RETRYCANCEL | MB_ICONWARNING | MB_TOPMOST | MB_SETFOREGROUND) == IDRETRY;
}

namespace {

constexpr int kListId = 100;
// The drop-down's height includes its open list.
constexpr int kOpenListHeight = 200;

struct LanguageChoice {
  HWND list = nullptr;
  HWND prompt = nullptr;
  const std::vector<std::u16string>* prompts = nullptr;
  bool done = false;
  std::optional<std::u16string> result;
};

LRESULT CALLBACK LanguageProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* choice = reinterpret_cast<LanguageChoice*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (choice && message == WM_COMMAND && LOWORD(wParam) == IDOK) {
    LRESULT selected = SendMessageW(choice->list, CB_GETCURSEL, 0, 0);
    std::wstring text;
    if (selected != CB_ERR) {
      LRESULT length = SendMessageW(choice->list, CB_GETLBTEXTLEN, WPARAM(selected), 0);
      if (length != CB_ERR) {
        text.resize(size_t(length) + 1);
        SendMessageW(choice->list, CB_GETLBTEXT, WPARAM(selected), LPARAM(text.data()));
        text.resize(size_t(length));
      }
    }
    choice->result = ProgramText(text);
    choice->done = true;
    return 0;
  }
  // The line speaks the language selected, so a reader of another finds the list at once.
  if (choice && message == WM_COMMAND && LOWORD(wParam) == kListId &&
      HIWORD(wParam) == CBN_SELCHANGE) {
    int selected = int(SendMessageW(choice->list, CB_GETCURSEL, 0, 0));
    SetWindowTextW(choice->prompt, WideText(LanguagePrompt(*choice->prompts, selected)).c_str());
    return 0;
  }
  if (choice && message == WM_CLOSE) {
    choice->done = true;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

std::optional<std::u16string> ShowLanguageDialog(std::u16string_view title,
                                                 const std::vector<std::u16string>& items,
                                                 int preselected,
                                                 const std::vector<std::u16string>& prompts) {
  State& s = TheState();
  if (!s.started || s.endRequested) return std::nullopt;
  static const bool registered = [] {
    WNDCLASSEXW dialogClass = {};
    dialogClass.cbSize = sizeof dialogClass;
    dialogClass.lpfnWndProc = LanguageProcedure;
    dialogClass.hInstance = TheState().instance;
    dialogClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    dialogClass.hIcon = ProgramIcon();
    dialogClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    dialogClass.lpszClassName = L"TornavelleLanguage";
    return RegisterClassExW(&dialogClass) != 0;
  }();
  if (!registered) return std::nullopt;

  // A captioned window whose client area is the dialog's size at the screen's scale (its font,
  // the system's, already has that size), centred on the primary monitor.
  const double scale = DisplayScale();
  auto scaled = [scale](int length) { return int(std::lround(length * scale)); };
  DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT frame = {0, 0, scaled(kLanguageDialogWidth), scaled(kLanguageDialogHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  std::vector<Monitor> monitors = ListMonitors();
  int x = 0, y = 0;
  if (!monitors.empty()) {
    x = monitors[0].x + (monitors[0].width - width) / 2;
    y = monitors[0].y + (monitors[0].height - height) / 2;
  }
  HWND dialog = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW | WS_EX_TOPMOST,
                                L"TornavelleLanguage", WideText(title).c_str(), style, x, y, width,
                                height, nullptr, nullptr, s.instance, nullptr);
  if (!dialog) return std::nullopt;
  LanguageChoice choice;
  choice.prompts = &prompts;
  const int left = scaled(kLanguageDialogMargin);
  const int inner = scaled(kLanguageDialogWidth - 2 * kLanguageDialogMargin);
  auto rowTop = [&scaled](int row) {
    return scaled(kLanguageDialogMargin + row * (kLanguageDialogMargin + kLanguageDialogRow));
  };
  const int rowHeight = scaled(kLanguageDialogRow);
  bool valid = preselected >= 0 && size_t(preselected) < items.size();
  choice.prompt = CreateWindowExW(
      0, WC_STATICW, WideText(LanguagePrompt(prompts, valid ? preselected : -1)).c_str(),
      WS_CHILD | (prompts.empty() ? 0 : WS_VISIBLE) | SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, left,
      rowTop(0), inner, rowHeight, dialog, nullptr, s.instance, nullptr);
  choice.list = CreateWindowExW(0, WC_COMBOBOXW, L"",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                left, rowTop(1), inner, scaled(kOpenListHeight), dialog,
                                HMENU(INT_PTR(kListId)), s.instance, nullptr);
  HWND ok = CreateWindowExW(0, WC_BUTTONW, L"OK",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, left, rowTop(2),
                            inner, rowHeight, dialog, HMENU(INT_PTR(IDOK)), s.instance, nullptr);
  NONCLIENTMETRICSW metrics = NonClientMetrics();
  HFONT font = metrics.cbSize ? CreateFontIndirectW(&metrics.lfMessageFont) : nullptr;
  for (HWND control : {choice.prompt, choice.list, ok})
    if (control && font) SendMessageW(control, WM_SETFONT, WPARAM(font), TRUE);
  for (const std::u16string& item : items)
    SendMessageW(choice.list, CB_ADDSTRING, 0, LPARAM(WideText(item).c_str()));
  SendMessageW(choice.list, CB_SETCURSEL, valid ? WPARAM(preselected) : WPARAM(-1), 0);
  SetWindowLongPtrW(dialog, GWLP_USERDATA, LONG_PTR(&choice));

  // Modal: the program's own windows take no input while the dialog is up.
  std::vector<HWND> disabled;
  for (const auto& [handle, record] : s.windows)
    if (IsWindowEnabled(record.hwnd)) {
      EnableWindow(record.hwnd, FALSE);
      disabled.push_back(record.hwnd);
    }
  ShowWindow(dialog, SW_SHOW);
  SetForegroundWindow(dialog);
  SetFocus(choice.list);
  MSG message;
  // Ctrl+C in the console closes it, as its close box does.
  while (!choice.done && !s.endRequested && GetMessageW(&message, nullptr, 0, 0) > 0) {
    // Tab, Enter and Escape move between and press the controls, as in any dialog.
    if (IsDialogMessageW(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  for (HWND hwnd : disabled) EnableWindow(hwnd, TRUE);
  SetWindowLongPtrW(dialog, GWLP_USERDATA, 0);
  DestroyWindow(dialog);
  if (font) DeleteObject(font);
  return s.endRequested ? std::nullopt : choice.result;
}

// --- Screen and fonts ---------------------------------------------------------------------------

namespace {

// The monitors, the primary first, each as its whole area or its work area (without the task
// bar and docked bars).
std::vector<Monitor> ListMonitorAreas(bool work) {
  struct Listing {
    bool work;
    std::vector<Monitor> monitors;
  } listing = {work, {}};
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
        auto* listing = reinterpret_cast<Listing*>(data);
        std::vector<Monitor>* list = &listing->monitors;
        MONITORINFO info = {};
        info.cbSize = sizeof info;
        if (!GetMonitorInfoW(monitor, &info)) return TRUE;
        const RECT& r = listing->work ? info.rcWork : info.rcMonitor;
        Monitor m{r.left, r.top, r.right - r.left, r.bottom - r.top};
        if (info.dwFlags & MONITORINFOF_PRIMARY)
          list->insert(list->begin(), m);
        else
          list->push_back(m);
        return TRUE;
      },
      LPARAM(&listing));
  return listing.monitors;
}

}  // namespace

std::vector<Monitor> ListMonitors() { return ListMonitorAreas(false); }

std::vector<Monitor> ListWorkAreas() { return ListMonitorAreas(true); }

double DisplayScale() {
  HDC screen = GetDC(nullptr);
  if (!screen) return kMinScale;
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return RoundScale(double(dpi > 0 ? dpi : kDefaultDpi) / kDefaultDpi);
}

// Windows gives one time for both phases, INFINITE for a caret that does not blink; the timeout
// after which carets stop blinking is a newer setting, absent from older systems and Wine.
constexpr UINT kGetCaretTimeout = 0x2022;  // SPI_GETCARETTIMEOUT, missing from older headers
constexpr int32_t kDefaultCaretTimeoutMs = 10000;

CaretBlink DesktopCaretBlink() {
  CaretBlink blink;
  const UINT phaseMs = GetCaretBlinkTime();
  blink.blinks = phaseMs != 0 && phaseMs != INFINITE;
  if (!blink.blinks) return blink;
  blink.shownMs = blink.hiddenMs = int32_t(std::min<UINT>(phaseMs, kCaretBlinksForever));
  DWORD timeoutMs = 0;
  blink.timeoutMs = SystemParametersInfoW(kGetCaretTimeout, 0, &timeoutMs, 0) && timeoutMs != 0
                        ? int32_t(std::min<DWORD>(timeoutMs, kCaretBlinksForever))
                        : kDefaultCaretTimeoutMs;
  return blink;
}

std::u16string DefaultFontFace() {
  NONCLIENTMETRICSW metrics = NonClientMetrics();
  if (metrics.cbSize == 0 || metrics.lfMessageFont.lfFaceName[0] == L'\0') return u"Sans";
  return ProgramText(metrics.lfMessageFont.lfFaceName);
}

FontHandle OpenFont(std::u16string_view face, int32_t points, double scale) {
  if (!(scale > 0)) return 0;
  return OpenFontAtResolution(face, points, kBaseDpi * scale);
}
