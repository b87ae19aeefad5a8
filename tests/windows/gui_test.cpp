// Tornavelle.exe as a user meets it: started in a folder of its own, a calculation typed on the
// keyboard, the quit key clicked; the settings file it saves on the way out holds the
// calculation and its answer.
//   test_windows_gui <Tornavelle.exe> <data folder>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/files.h"
#include "skin/item_map.h"
#include "skin/png_decoder.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kQuitKey = 0xE3EA20;
constexpr DWORD kPatienceMs = 15000;

int failures = 0;
void Check(bool condition, const std::string& what) {
  if (!condition) {
    std::printf("FAIL %s\n", what.c_str());
    ++failures;
  }
}

struct Found {
  DWORD process;
  HWND window = nullptr;
};

// The process's shown window: the calculator's skin.
HWND ShownWindowOf(DWORD process) {
  Found found{process};
  EnumWindows(
      [](HWND hwnd, LPARAM data) -> BOOL {
        auto* f = reinterpret_cast<Found*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == f->process && IsWindowVisible(hwnd)) {
          f->window = hwnd;
          return FALSE;
        }
        return TRUE;
      },
      LPARAM(&found));
  return found.window;
}

void Send(std::vector<INPUT> inputs) {
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
  Sleep(50);
}

INPUT Key(WORD vk, wchar_t unit, bool up) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = unit ? 0 : vk;
  input.ki.wScan = unit;
  input.ki.dwFlags = (unit ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
  return input;
}

void Type(const std::wstring& text) {
  for (wchar_t unit : text) Send({Key(0, unit, false), Key(0, unit, true)});
}

void Click(int x, int y) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  INPUT move = {};
  move.type = INPUT_MOUSE;
  move.mi.dx = LONG((x * 65536LL + width / 2) / width);
  move.mi.dy = LONG((y * 65536LL + height / 2) / height);
  move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  INPUT down = move, up = move;
  down.mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
  up.mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
  Send({move});
  Send({down});
  Send({up});
}

std::string Content(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The centre of the quit key, in the window: its edges reach past its visible shape.
std::optional<POINT> QuitKeyIn(const fs::path& skin) {
  std::string bytes = Content(skin / "Item.png");
  auto map = DecodePngBytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
  if (!map) return std::nullopt;
  auto regions = FindItemRegions(*map);
  if (!regions) return std::nullopt;
  for (const ItemRegion& r : *regions)
    if (ItemColourOf(r.colour) == kQuitKey) return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: test_windows_gui <Tornavelle.exe> <data folder>\n", stderr);
    return 2;
  }
  fs::path program = fs::absolute(argv[1]), data = fs::absolute(argv[2]);
  fs::path folder = fs::temp_directory_path() / ("tornavelle-gui-" + std::to_string(GetCurrentProcessId()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy(data / "Lng-Tornavelle", folder / "Lng-Tornavelle", fs::copy_options::recursive);
  fs::copy(data / "Apparence", folder / "Apparence", fs::copy_options::recursive);
  std::ofstream(folder / "Langue.lng", std::ios::binary) << "Defaut = English\r\n";

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = L"\"" + program.wstring() + L"\"";
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.c_str(), &startup, &process)) {
    std::printf("FAIL Tornavelle.exe could not be started (error %lu)\n", GetLastError());
    return 1;
  }
  HWND window = nullptr;
  for (DWORD waited = 0; !window && waited < kPatienceMs; waited += 100) {
    Sleep(100);
    window = ShownWindowOf(process.dwProcessId);
  }
  Check(window != nullptr, "Tornavelle.exe showed no window");
  if (window) {
    Sleep(500);  // the skin composed and shown
    SetForegroundWindow(window);
    Sleep(200);
    Type(L"2+3*4");
    Send({Key(VK_RETURN, 0, false), Key(VK_RETURN, 0, true)});
    Type(L"7/2");  // left on the line
    Sleep(300);
    std::optional<POINT> quit = QuitKeyIn(folder / "Apparence" / "Defaut");
    Check(quit.has_value(), "the skin has no quit key");
    RECT place;
    GetWindowRect(window, &place);
    if (quit) Click(place.left + quit->x, place.top + quit->y);
  }
  bool ended = WaitForSingleObject(process.hProcess, kPatienceMs) == WAIT_OBJECT_0;
  Check(ended, "Tornavelle.exe did not end after its quit key was clicked");
  if (!ended) TerminateProcess(process.hProcess, 1);
  DWORD exitCode = 1;
  GetExitCodeProcess(process.hProcess, &exitCode);
  Check(exitCode == 0, "exit code " + std::to_string(exitCode));
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  std::string saved = Content(folder / "Tornavelle.tvnp");
  // The history keeps the calculation and its answer; the line keeps what was being typed.
  const char* expected[] = {"Reponse0Operation = 2+3\xC3\x97" "4", "Reponse0Valeur = 14", "Operation = 7\xC3\xB7" "2"};
  for (const char* line : expected)
    Check(saved.find(line) != std::string::npos, std::string("Tornavelle.tvnp lacks \"") + line + "\":\n" + saved);
  fs::remove_all(folder);
  std::printf("%d passed, %d failed\n", failures ? 0 : 1, failures ? 1 : 0);
  return failures ? 1 : 0;
}
