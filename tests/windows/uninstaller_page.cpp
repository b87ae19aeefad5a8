// SPDX-License-Identifier: GPL-3.0-or-later
// The uninstaller as a person meets it: started without /S, its Uninstall button clicked; its
// last page must name the folder where the user's settings stay. The page's texts are printed.
//   test_uninstaller_page <Uninstall.exe> <the user's folder, as Windows writes it>
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

constexpr DWORD kPatienceMs = 30000, kPollMs = 100, kSettledMs = 1000, kClickPauseMs = 2000;
constexpr int kNextButton = 1;  // the wizard's Next / Uninstall / Finish button

// The uninstaller's window: it runs from a copy of itself, so it is found by its title.
HWND UninstallerWindow() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM result) {
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        if (IsWindowVisible(window) && std::wstring(title).find(L"Tornavelle") != std::wstring::npos) {
          *reinterpret_cast<HWND*>(result) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Every visible text of the window's controls, one per line.
std::wstring TextsOf(HWND window) {
  std::wstring texts;
  EnumChildWindows(
      window,
      [](HWND child, LPARAM result) {
        wchar_t text[1024] = {};
        if (IsWindowVisible(child) && GetWindowTextW(child, text, 1024) > 0)
          *reinterpret_cast<std::wstring*>(result) += std::wstring(text) + L"\n";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&texts));
  return texts;
}

void ClickNext(HWND window) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kNextButton, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(window, kNextButton)));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fputs("usage: test_uninstaller_page <Uninstall.exe> <the user's folder>\n", stderr);
    return 2;
  }
  const std::wstring folder = argv[2];
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
  if (!CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("FAIL the uninstaller could not be started\n0 passed, 1 failed\n");
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);

  // The confirmation page, then the last page, which names the folder. Next is clicked only on
  // a page whose texts have stayed the same for a while, so that a click meant for the
  // confirmation page never lands on the last page before it is read.
  HWND window = nullptr;
  bool named = false;
  std::wstring texts, previous;
  DWORD sameFor = 0, sinceClick = kClickPauseMs;
  for (DWORD waited = 0; waited < kPatienceMs && !named; waited += kPollMs) {
    Sleep(kPollMs);
    sinceClick += kPollMs;
    if (!(window = UninstallerWindow())) continue;
    texts = TextsOf(window);
    named = texts.find(folder) != std::wstring::npos;
    sameFor = texts == previous ? sameFor + kPollMs : 0;
    previous = texts;
    if (!named && sameFor >= kSettledMs && sinceClick >= kClickPauseMs) {
      ClickNext(window);
      sinceClick = 0;
    }
  }
  std::printf("%ls", texts.c_str());
  if (window) ClickNext(window);  // Finish
  for (DWORD waited = 0; waited < kPatienceMs && UninstallerWindow(); waited += kPollMs) Sleep(kPollMs);
  if (!named) std::printf("FAIL the uninstaller's last page does not name %ls\n", folder.c_str());
  std::printf("%d passed, %d failed\n", named ? 1 : 0, named ? 0 : 1);
  return named ? 0 : 1;
}
