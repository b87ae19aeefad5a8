// SPDX-License-Identifier: GPL-3.0-or-later
// The running program's own file, the same for every backend on Windows.
#include <vector>

#include "platform/process.h"
#include "platform/system/windows/wide.h"

std::u16string OwnExecutablePath() {
  // The path may be longer than MAX_PATH; the call says so by filling the buffer completely.
  for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
    std::vector<wchar_t> path(size);
    DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
    if (length == 0) return {};
    if (length < size) return ProgramText(std::wstring_view(path.data(), length));
  }
  return {};
}
