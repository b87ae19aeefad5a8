// SPDX-License-Identifier: GPL-3.0-or-later
// Tornavelle.exe as a user meets it: started in a folder of its own, calculations typed on the
// keyboard (one ending in "=") and clicked on the keypad, degrees chosen, the window dragged, a
// text pasted from the edit menu, the latest answer copied from the empty line, a step repeated
// on the answer, the keypad's decimal key (also as a layout that gives a comma) and a paste with
// Shift+Insert, the line cleared with Escape and brought back with Ctrl+Z, a press and release
// on two keys that types nothing, the line copied (Ctrl+C, Ctrl+Insert), the light skin chosen
// from the skin menu, the quit key clicked; the settings
// file it saves on the way out holds the calculations, the mode, the line, the skin and the
// window's new place. A first run, from the language dialog to the new copy it starts; the end
// of the session, which saves; and a second start in the same folder, which brings the running
// calculator to the front instead.
//   test_windows_gui <Tornavelle.exe> <data folder>
// As installed: the first scenario alone, with the program and the folder of a Start-menu
// shortcut (the folder is the user's, prepared by the installer, and stays).
//   test_windows_gui --shortcut <Tornavelle.lnk>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/unicode.h"
#include "skin/item_map.h"
#include "skin/png_decoder.h"
#include "skin/item_colours.h"

namespace {

namespace fs = std::filesystem;

// The items used, by their colours in the item map.
constexpr DWORD kPatienceMs = 15000;
constexpr wchar_t kSkinClass[] = L"TornavelleWindow";

int failures = 0;
void Check(bool condition, const std::string& what) {
  if (!condition) {
    std::printf("FAIL %s\n", what.c_str());
    ++failures;
  }
}

// Waits, answering the messages other programs send the test's window meanwhile (the clipboard's
// owner is told when another program takes it, and that program waits for the answer).
void Wait(DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (ULONGLONG now; (now = GetTickCount64()) < end;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(end - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
}

struct Found {
  DWORD process;
  const wchar_t* className;
  bool otherProcess;
  HWND window = nullptr;
};

// A shown window of the process (or, with otherProcess, of any process but that one), of that
// window class when one is given.
HWND ShownWindowOf(DWORD process, const wchar_t* className = nullptr, bool otherProcess = false) {
  Found found{process, className, otherProcess};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<Found*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        wchar_t name[64] = L"";
        GetClassNameW(hwnd, name, 64);
        if ((owner == f->process) != f->otherProcess && IsWindowVisible(hwnd) &&
            (!f->className || std::wcscmp(name, f->className) == 0)) {
          f->window = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      LPARAM(&found));
  return found.window;
}

HWND WaitForWindow(DWORD process, const wchar_t* className = nullptr, bool otherProcess = false) {
  HWND window = nullptr;
  for (DWORD waited = 0; !window && waited < kPatienceMs; waited += 100) {
    Wait(100);
    window = ShownWindowOf(process, className, otherProcess);
  }
  return window;
}

void Send(std::vector<INPUT> inputs) {
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
  Wait(50);
}

INPUT Key(WORD vk, wchar_t unit, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = unit ? 0 : vk;
  input.ki.wScan = unit;
  input.ki.dwFlags = (unit ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

void KeyPress(WORD vk) { Send({Key(vk, 0, false), Key(vk, 0, true)}); }

void Type(const std::wstring& text) {
  for (wchar_t unit : text) Send({Key(0, unit, false), Key(0, unit, true)});
}

// The pointer to (x, y) on the screen, with the left button pressed or released there if asked.
void Pointer(int x, int y, DWORD button = 0) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT input = {};
  input.type = INPUT_MOUSE;
  // The system takes the pixel as coordinate × size / 65536, rounded down: round up to land on it.
  input.mi.dx = LONG((x * 65536LL + width - 1) / width);
  input.mi.dy = LONG((y * 65536LL + height - 1) / height);
  input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
  Send({input});
}

// A press at `at` and a release at `to` (the same place by default), with the left button or
// the right.
void Click(POINT at, bool right = false, POINT to = {-1, -1}) {
  if (to.x < 0) to = at;
  Pointer(at.x, at.y);
  Pointer(at.x, at.y, right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
  if (to.x != at.x || to.y != at.y) {  // a drag, by way of the middle
    Pointer((at.x + to.x) / 2, (at.y + to.y) / 2);
    Pointer(to.x, to.y);
  }
  Pointer(to.x, to.y, right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The clipboard, as another program offers and reads it: through a window of the test's own,
// since a text put there without an owner may be refused, and waiting for the calculator to
// let go of it.
bool OpenTheClipboard() {
  static HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (OpenClipboard(owner)) return true;
    Wait(20);
  }
  return false;
}

bool SetClipboard(const std::wstring& text) {
  if (!OpenTheClipboard()) return false;
  EmptyClipboard();
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  bool set = false;
  if (void* units = memory ? GlobalLock(memory) : nullptr) {
    std::memcpy(units, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    set = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  }
  if (!set && memory) GlobalFree(memory);
  CloseClipboard();
  return set;
}

std::wstring ClipboardText() {
  std::wstring text;
  if (!OpenTheClipboard()) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = units;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

// The resolution this test gave the desktop, 0 for none: Windows tells a process the one it
// had when it started.
int desktopDpi = 0;

// The screen's resolution, which the program draws at: 96 dots per inch at a scale of 1.
int ScreenDpi() {
  if (desktopDpi != 0) return desktopDpi;
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// Where the skin's items are in the window, which shows the skin at the screen's scale: each
// one's centre, by colour (its edges reach past its visible shape). The window must be as many
// times the skin's size at 1 as the scale.
std::map<int32_t, POINT> ItemCentresIn(const fs::path& skin, HWND window) {
  std::map<int32_t, POINT> centres;
  std::string bytes = Content(skin / "Item.png");
  auto map = DecodePngBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  if (!map) return centres;
  auto regions = FindItemRegions(*map);
  if (!regions) return centres;
  RECT place{};
  GetWindowRect(window, &place);
  const double scale = ScreenDpi() / 96.0;
  const long width = std::lround(map->width * scale), height = std::lround(map->height * scale);
  Check(place.right - place.left == width && place.bottom - place.top == height,
        "the window is " + std::to_string(place.right - place.left) + " x " + std::to_string(place.bottom - place.top) +
            ", not " + std::to_string(width) + " x " + std::to_string(height) + " at " + std::to_string(ScreenDpi()) + " dpi");
  for (const ItemRegion& r : *regions)
    centres[ItemColourOf(r.colour)] = POINT{long((r.left + r.right) / 2 * scale), long((r.top + r.bottom) / 2 * scale)};
  return centres;
}

// A fresh folder for the program, holding the shipped languages and skin.
fs::path PrepareFolder(const fs::path& data, const std::string& name) {
  fs::path folder = fs::temp_directory_path() / ("tornavelle-" + name + "-" + std::to_string(GetCurrentProcessId()));
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directories(folder);
  fs::copy(data / "Lng-Tornavelle", folder / "Lng-Tornavelle", fs::copy_options::recursive);
  fs::copy(data / "Apparence", folder / "Apparence", fs::copy_options::recursive);
  return folder;
}

std::optional<PROCESS_INFORMATION> Start(const fs::path& program, const fs::path& folder) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    Check(false, "Tornavelle.exe could not be started (error " + std::to_string(GetLastError()) + ")");
    return std::nullopt;
  }
  return process;
}

// Waits for the process to end with code 0, ending it if it does not; closes the handle.
void EndsWell(HANDLE process, const std::string& when) {
  bool ended = WaitForSingleObject(process, kPatienceMs) == WAIT_OBJECT_0;
  Check(ended, "Tornavelle.exe did not end " + when);
  if (!ended) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, kPatienceMs);
  }
  DWORD exitCode = 1;
  GetExitCodeProcess(process, &exitCode);
  Check(exitCode == 0, "exit code " + std::to_string(exitCode) + " " + when);
  CloseHandle(process);
}

// Typing, the keypad, degrees, a drag, the quit key, in a folder holding the shipped languages
// and skin; then the settings file.
void CalculationsAndQuit(const fs::path& program, const fs::path& folder) {
  std::ofstream(folder / "Langue.lng", std::ios::binary) << "Defaut = English\r\n";
  std::optional<PROCESS_INFORMATION> started = Start(program, folder);
  if (!started) return;
  PROCESS_INFORMATION process = *started;
  HWND window = WaitForWindow(process.dwProcessId, kSkinClass);
  Check(window != nullptr, "Tornavelle.exe showed no window");
  LONG startLeft = 0, startTop = 0;  // where the window first showed
  if (window) {
    Wait(500);  // the skin composed and shown
    SetForegroundWindow(window);
    Wait(200);
    RECT place;
    GetWindowRect(window, &place);
    startLeft = place.left;
    startTop = place.top;
    std::map<int32_t, POINT> items = ItemCentresIn(folder / "Apparence" / "Defaut", window);
    for (int32_t colour :
         {kQuitKey, kDigitKeys[9], kDigitKeys[8], kTimesKey, kResultKey, kDegreesKey, kHistoryItem, kExpressionItem})
      Check(items.count(colour) == 1, "the skin's item map lacks an item used");
    // An item of the skin, on the screen where the window is now.
    auto item = [&](int32_t colour) {
      POINT at = items.count(colour) ? items[colour] : POINT{-1000, -1000};
      return POINT{place.left + at.x, place.top + at.y};
    };
    Type(L"2+3*4");
    KeyPress(VK_RETURN);
    // 9×8 on the keypad, then the result key.
    for (int32_t key : {kDigitKeys[9], kTimesKey, kDigitKeys[8], kResultKey}) Click(item(key));
    // Degrees, and a sine typed on the keyboard.
    Click(item(kDegreesKey));
    Type(L"sin(90)");
    KeyPress(VK_RETURN);
    // A line that ends in "=" calculates what comes before it.
    Type(L"6*7=");
    KeyPress(VK_RETURN);
    // The window dragged by its history panel, 100 pixels left and 50 up.
    POINT from = item(kHistoryItem);
    Click(from, false, {from.x - 100, from.y - 50});
    Wait(300);
    GetWindowRect(window, &place);
    Check(place.left == startLeft - 100 && place.top == startTop - 50,
          "the window was not dragged by 100, 50: it is at " + std::to_string(place.left) + ", " +
              std::to_string(place.top));
    // Another program's text pasted from the edit menu (its third row), then calculated.
    Check(SetClipboard(L"5\u00D7\u221A(16)"), "the clipboard took no text");
    POINT line = item(kExpressionItem);
    Click(line, true);
    Wait(300);
    for (WORD key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) KeyPress(key);
    Wait(200);
    KeyPress(VK_RETURN);
    // Ctrl with a letter, Shift held too when asked.
    auto control = [](WORD letter, bool shift = false) {
      std::vector<INPUT> keys = {Key(VK_CONTROL, 0, false)};
      if (shift) keys.push_back(Key(VK_SHIFT, 0, false));
      keys.push_back(Key(letter, 0, false));
      keys.push_back(Key(letter, 0, true));
      if (shift) keys.push_back(Key(VK_SHIFT, 0, true));
      keys.push_back(Key(VK_CONTROL, 0, true));
      Send(keys);
      Wait(200);
    };
    // On the empty line Ctrl+C copies the latest answer, as a number other programs read.
    control('C');
    Check(ClipboardText() == L"20", "Ctrl+C on an empty line did not copy the latest answer");
    // A step repeated on the answer takes the newest answer each time: 2, 4, 8, 16.
    Type(L"2");
    KeyPress(VK_RETURN);
    for (int step = 0; step < 3; ++step) {
      Type(L"*2");
      KeyPress(VK_RETURN);
    }
    control('C');
    Check(ClipboardText() == L"16", "*2 repeated on the answer did not give 16");
    // The keypad's decimal key types a point: as a German layout sends it (its own key code,
    // then a comma), and as the keyboard here does.
    Type(L"1");
    PostMessageW(window, WM_KEYDOWN, VK_DECIMAL, 0);
    PostMessageW(window, WM_CHAR, L',', 0);
    Wait(200);
    // Shift+Insert pastes, as one line: the line break that ends a copied cell goes.
    Check(SetClipboard(L"+2\r\n"), "the clipboard took no text");
    Type(L"5");
    Send({Key(VK_SHIFT, 0, false), Key(VK_INSERT, 0, false), Key(VK_INSERT, 0, true),
          Key(VK_SHIFT, 0, true)});
    Wait(200);
    KeyPress(VK_DECIMAL);
    Type(L"5");
    KeyPress(VK_RETURN);
    control('C');
    Check(ClipboardText() == L"4", "the keypad's decimal key did not type a point");
    // A line left to be saved: cleared with Escape, the clearing undone, redone with
    // Ctrl+Shift+Z and undone again; a press on 9 released over 8 types nothing. Copied with
    // Ctrl+C: with nothing selected, the whole line.
    Type(L"7/2");
    KeyPress(VK_ESCAPE);
    control('Z');
    control('Z', true);
    control('Z');
    Click(item(kDigitKeys[9]), false, item(kDigitKeys[8]));
    control('C');
    Check(ClipboardText() == L"7\u00F72", "Ctrl+C did not copy the line");
    Check(SetClipboard(L"-"), "the clipboard took no text");
    control(VK_INSERT);
    Check(ClipboardText() == L"7\u00F72", "Ctrl+Insert did not copy the line");
    // The light skin chosen from the skin menu: a right click on the history panel, the first
    // submenu (the skins, by name), its first entry. A new window takes the old one's place,
    // with the keyboard and the line.
    Click(item(kHistoryItem), true);
    Wait(300);
    for (WORD key : {VK_DOWN, VK_RIGHT, VK_RETURN}) KeyPress(key);
    HWND light = nullptr;
    for (DWORD waited = 0; waited < kPatienceMs && (!light || light == window); waited += 100) {
      Wait(100);
      light = ShownWindowOf(process.dwProcessId, kSkinClass, false);
    }
    Check(light != nullptr && light != window, "choosing a skin showed no new window");
    RECT lightPlace = {};
    GetWindowRect(light, &lightPlace);
    Check(lightPlace.left == place.left && lightPlace.top == place.top, "the new skin's window moved");
    Wait(300);
    control('C');
    Check(ClipboardText() == L"7\u00F72", "the new skin's window lost the line or the keyboard");
    Click(item(kQuitKey));
  }
  EndsWell(process.hProcess, "after its quit key was clicked");
  CloseHandle(process.hThread);

  std::string saved = Content(folder / "Tornavelle.tvnp");
  // The history keeps the calculation and its answer; the line keeps what was being typed.
  const std::string expected[] = {
      "Reponse9Operation = 2+3\xC3\x97" "4", "Reponse9Valeur = 14",
      "Reponse8Operation = 9\xC3\x97" "8", "Reponse8Valeur = 72",
      "Reponse7Operation = sin(90)", "Reponse7Valeur = 1",
      "Reponse6Operation = 6\xC3\x97" "7\r\n", "Reponse6Valeur = 42",
      "Reponse5Operation = 5\xC3\x97\xE2\x88\x9A(16)", "Reponse5Valeur = 20",
      "Reponse4Valeur = 2\r\n", "Reponse3Valeur = 4\r\n", "Reponse2Valeur = 8\r\n",
      "Reponse1Valeur = 16\r\n", "Reponse0Operation = 1.5+2.5\r\n", "Reponse0Valeur = 4\r\n",
      "Operation = 7\xC3\xB7" "2", "Mode = 2", "Apparence = Clair\r\n",
      "Fenetre x = " + std::to_string(startLeft - 100), "Fenetre y = " + std::to_string(startTop - 50)};
  for (const std::string& line : expected)
    Check(saved.find(line) != std::string::npos, std::string("Tornavelle.tvnp lacks \"") + line + "\":\n" + saved);
}

// The program a shortcut starts and the folder it starts it in; empty when it cannot be read.
std::pair<fs::path, fs::path> ShortcutTarget(const fs::path& shortcut) {
  std::pair<fs::path, fs::path> target;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      wchar_t program[MAX_PATH] = {}, folder[MAX_PATH] = {};
      if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ)) &&
          SUCCEEDED(link->GetPath(program, MAX_PATH, nullptr, 0)) &&
          SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)))
        target = {program, folder};
      file->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return target;
}

// A first run: no language chosen yet. The dialog comes with the user's own language chosen
// (English under Wine's usual locale), Enter takes it, and the program starts a new copy of
// itself with it, whose quit key ends it.
void FirstRunStartsANewCopy(const fs::path& program, const fs::path& data) {
  fs::path folder = PrepareFolder(data, "first-run");
  std::optional<PROCESS_INFORMATION> started = Start(program, folder);
  if (!started) return;
  CloseHandle(started->hThread);
  HWND dialog = WaitForWindow(started->dwProcessId, L"TornavelleLanguage");
  Check(dialog != nullptr, "no language dialog at the first run");
  std::wstring selected, prompt;
  if (dialog) {
    // GetWindowText would not ask another process's window; WM_GETTEXT is carried across.
    wchar_t text[64] = {}, line[128] = {};
    SendMessageW(FindWindowExW(dialog, nullptr, L"ComboBox", nullptr), WM_GETTEXT, 64, LPARAM(text));
    SendMessageW(FindWindowExW(dialog, nullptr, L"Static", nullptr), WM_GETTEXT, 128, LPARAM(line));
    selected = text;
    prompt = line;
    SetForegroundWindow(dialog);
    Wait(300);
    KeyPress(VK_RETURN);
  }
  Check(!selected.empty(), "the dialog selected no language");
  Check(!prompt.empty(), "the dialog does not say what it asks");
  EndsWell(started->hProcess, "after the language was chosen");
  // The list names each language as its own file does (text 241); the choice keeps the file's name.
  const std::string shown = Utf16ToUtf8(std::u16string(selected.begin(), selected.end()));
  std::string chosen;
  for (const auto& file : fs::directory_iterator(data / "Lng-Tornavelle"))
    if (Content(file.path()).find("\r\n241=" + shown + "\r\n") != std::string::npos)
      chosen = Utf16ToUtf8(file.path().stem().u16string());
  Check(!chosen.empty() && Content(folder / "Langue.lng").find("Defaut = " + chosen) != std::string::npos,
        "Langue.lng does not hold the choice");
  HWND window = WaitForWindow(started->dwProcessId, kSkinClass, true);
  Check(window != nullptr, "the new copy showed no skin");
  if (window) {
    DWORD copy = 0;
    GetWindowThreadProcessId(window, &copy);
    HANDLE copyProcess =
        OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE, FALSE, copy);
    Check(copyProcess != nullptr, "the new copy's process could not be opened");
    Wait(500);
    RECT place;
    GetWindowRect(window, &place);
    std::map<int32_t, POINT> items = ItemCentresIn(folder / "Apparence" / "Defaut", window);
    Check(items.count(kQuitKey) == 1, "the skin's item map has no quit key");
    Click({place.left + items[kQuitKey].x, place.top + items[kQuitKey].y});
    if (copyProcess) EndsWell(copyProcess, "(the new copy) after its quit key was clicked");
    Check(fs::exists(folder / "Tornavelle.tvnp"), "the new copy saved no settings");
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

// Polls the condition, answering messages meanwhile, until it holds or the patience runs out.
bool WaitUntil(const std::function<bool()>& condition) {
  for (DWORD waited = 0; waited < kPatienceMs; waited += 50) {
    if (condition()) return true;
    Wait(50);
  }
  return condition();
}

// The line copied with Ctrl+C, once it is the text: the program has handled every key before.
bool LineIs(const std::wstring& text) {
  Send({Key(VK_CONTROL, 0, false), Key('C', 0, false), Key('C', 0, true), Key(VK_CONTROL, 0, true)});
  return WaitUntil([&] { return ClipboardText() == text; });
}

// The processes that show a window of the skin's class (a calculator and its overlay).
std::set<DWORD> ProcessesShowingASkin() {
  std::set<DWORD> processes;
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        wchar_t name[64] = L"";
        GetClassNameW(hwnd, name, 64);
        DWORD process = 0;
        GetWindowThreadProcessId(hwnd, &process);
        if (IsWindowVisible(hwnd) && std::wcscmp(name, kSkinClass) == 0)
          reinterpret_cast<std::set<DWORD>*>(data)->insert(process);
        return TRUE;
      },
      LPARAM(&processes));
  return processes;
}

std::string Describe(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return fs::path(name).string() + " of process " + std::to_string(process);
}

// A calculation and a line half typed, then the session ends (a logoff, a shutdown): the system
// asks, and the program saves; it says the session may end, and then ends with code 0.
void SessionEndSaves(const fs::path& program, const fs::path& data) {
  fs::path folder = PrepareFolder(data, "session-end");
  std::ofstream(folder / "Langue.lng", std::ios::binary) << "Defaut = English\r\n";
  std::optional<PROCESS_INFORMATION> started = Start(program, folder);
  if (!started) return;
  CloseHandle(started->hThread);
  HWND window = WaitForWindow(started->dwProcessId, kSkinClass);
  Check(window != nullptr, "Tornavelle.exe showed no window");
  const std::string calculation = "Reponse0Operation = 2+3", line = "Operation = 4\xC3\x97" "5";
  if (window) {
    SetForegroundWindow(window);
    Wait(200);
    Type(L"2+3");
    KeyPress(VK_RETURN);
    Type(L"4*5");
    Check(LineIs(L"4\u00D75"), "the line typed is not 4\u00D75");
    DWORD_PTR answer = 0;
    bool answered = SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                        kPatienceMs, &answer) != 0;
    Check(answered && answer == TRUE, "Tornavelle.exe did not let the session end");
    std::string saved = Content(folder / "Tornavelle.tvnp");
    Check(saved.find(calculation) != std::string::npos && saved.find(line) != std::string::npos,
          "nothing saved when the session was about to end:\n" + saved);
    fs::remove(folder / "Tornavelle.tvnp");
    // The process ends while it handles this message: the call returns without an answer.
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, kPatienceMs, &answer);
  }
  EndsWell(started->hProcess, "at the end of the session");
  std::string saved = Content(folder / "Tornavelle.tvnp");
  for (const std::string& expected : {calculation, std::string("Reponse0Valeur = 5"), line})
    Check(saved.find(expected) != std::string::npos,
          "Tornavelle.tvnp lacks \"" + expected + "\" after the session ended:\n" + saved);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

// Started again in the same folder while another window is in front: the second start ends at
// once with code 0, and the running calculator comes to the front, alone.
void SecondStartRaisesTheFirst(const fs::path& program, const fs::path& data) {
  fs::path folder = PrepareFolder(data, "second-start");
  std::ofstream(folder / "Langue.lng", std::ios::binary) << "Defaut = English\r\n";
  std::optional<PROCESS_INFORMATION> first = Start(program, folder);
  if (!first) return;
  CloseHandle(first->hThread);
  HWND window = WaitForWindow(first->dwProcessId, kSkinClass);
  Check(window != nullptr, "Tornavelle.exe showed no window");
  if (window) {
    HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                                 300, nullptr, nullptr, nullptr, nullptr);
    // Its window or the overlay above it, which share the place and the class.
    auto calculatorInFront = [&] {
      HWND front = GetForegroundWindow();
      DWORD process = 0;
      GetWindowThreadProcessId(front, &process);
      wchar_t name[64] = L"";
      GetClassNameW(front, name, 64);
      return process == first->dwProcessId && std::wcscmp(name, kSkinClass) == 0;
    };
    SetForegroundWindow(other);
    Check(WaitUntil([&] { return GetForegroundWindow() == other; }), "the test's window did not come to the front");
    Check(!calculatorInFront(), "the calculator was in front already");
    std::optional<PROCESS_INFORMATION> second = Start(program, folder);
    if (second) {
      CloseHandle(second->hThread);
      EndsWell(second->hProcess, "(the second start)");
    }
    Check(WaitUntil(calculatorInFront), "the running calculator did not come to the front: " + Describe(GetForegroundWindow()) + " is");
    Check(ProcessesShowingASkin() == std::set<DWORD>{first->dwProcessId}, "another calculator shows");
    DestroyWindow(other);
    // The calculator still takes the keys, and its quit key ends it.
    Type(L"6*7");
    Check(LineIs(L"6\u00D77"), "the raised calculator does not take the keys");
    // The held lock file cannot be deleted; a start that finds the folder held in another
    // session (noted so in the file) says so on its own screen and fails, raising nothing.
    std::error_code kept;
    Check(!fs::remove(folder / ".Tornavelle.lock", kept), "the held lock file could be deleted");
    std::fstream(folder / ".Tornavelle.lock", std::ios::in | std::ios::out | std::ios::binary) << "999";
    if (std::optional<PROCESS_INFORMATION> third = Start(program, folder)) {
      CloseHandle(third->hThread);
      HWND message = WaitForWindow(third->dwProcessId, L"#32770");
      Check(message != nullptr, "the start in another session showed no message");
      if (message) PostMessageW(message, WM_CLOSE, 0, 0);
      DWORD exitCode = 0;
      Check(WaitForSingleObject(third->hProcess, kPatienceMs) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(third->hProcess, &exitCode) && exitCode == 2,
            "the start in another session did not fail: exit code " + std::to_string(exitCode));
      CloseHandle(third->hProcess);
    }
    RECT place;
    GetWindowRect(window, &place);
    std::map<int32_t, POINT> items = ItemCentresIn(folder / "Apparence" / "Defaut", window);
    Click({place.left + items[kQuitKey].x, place.top + items[kQuitKey].y});
  }
  EndsWell(first->hProcess, "after its quit key was clicked");
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace

// The desktop's resolution for the programs started from now on, as the display settings set
// it; 0 takes the setting away.
void SetDesktopDpi(DWORD dpi) {
  HKEY desktop = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, KEY_SET_VALUE, &desktop) != ERROR_SUCCESS) {
    Check(false, "the desktop's settings could not be opened");
    return;
  }
  desktopDpi = int(dpi);
  if (dpi == 0) RegDeleteValueW(desktop, L"LogPixels");
  else RegSetValueExW(desktop, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  RegCloseKey(desktop);
}

// The test reads and gives positions in the screen's own pixels, as the program does.
void BecomeDpiAware() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  auto set = reinterpret_cast<SetContext>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (set) set(reinterpret_cast<HANDLE>(-4));  // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2
}

int main(int argc, char** argv) {
  BecomeDpiAware();
  if (argc == 5 && std::strcmp(argv[3], "--dpi") == 0) {
    // The first scenario on a desktop of that resolution.
    SetDesktopDpi(DWORD(std::atoi(argv[4])));
    fs::path program = fs::absolute(argv[1]), data = fs::absolute(argv[2]);
    fs::path folder = PrepareFolder(data, "scaled");
    CalculationsAndQuit(program, folder);
    SetDesktopDpi(0);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    std::printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
    return failures ? 1 : 0;
  }
  if (argc != 3) {
    std::fputs("usage: test_windows_gui <Tornavelle.exe> <data folder> [--dpi <dots per inch>]\n"
               "       test_windows_gui --shortcut <Tornavelle.lnk>\n", stderr);
    return 2;
  }
  if (std::strcmp(argv[1], "--shortcut") == 0) {
    auto [program, folder] = ShortcutTarget(fs::absolute(argv[2]));
    Check(!program.empty() && !folder.empty(), std::string("the shortcut ") + argv[2] + " could not be read");
    Check(fs::exists(program), "the shortcut's program " + program.string() + " does not exist");
    Check(fs::exists(folder / "Apparence" / "Defaut" / "Item.png"),
          "the shortcut's folder " + folder.string() + " holds no skin");
    if (failures == 0) CalculationsAndQuit(program, folder);
  } else {
    fs::path program = fs::absolute(argv[1]), data = fs::absolute(argv[2]);
    fs::path folder = PrepareFolder(data, "calculations");
    CalculationsAndQuit(program, folder);
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    FirstRunStartsANewCopy(program, data);
    SessionEndSaves(program, data);
    SecondStartRaisesTheFirst(program, data);
  }
  std::printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
  return failures ? 1 : 0;
}
