// SPDX-License-Identifier: GPL-3.0-or-later
// The running program's own file, the same for every backend on Linux.
#include <climits>
#include <unistd.h>

#include "platform/process.h"
#include "platform/unicode.h"

std::u16string OwnExecutablePath() {
  char path[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || size_t(length) >= sizeof path) return {};
  return Utf8ToUtf16(std::string_view(path, size_t(length)));
}
