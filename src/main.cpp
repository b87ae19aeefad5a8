// SPDX-License-Identifier: GPL-3.0-or-later
// Tornavelle: the calculator, in its working directory.
#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "app/startup.h"

namespace {

#if defined(__GLIBC__)
// Images of a whole window (a megabyte at 1, four at 2) are made and dropped as a skin decodes and
// a frame is drawn. glibc's allocator raises its threshold for handing big blocks straight back
// to the system each time one is freed, after which such images come from the heap and their
// pages stay with the process once freed; a fixed threshold gives every one back.
constexpr int kReturnedBlockBytes = 256 * 1024;
#endif

}  // namespace

int main() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, kReturnedBlockBytes);
#endif
  if (!StartUp()) {
    std::fputs("tornavelle: no desktop to show the calculator on (is DISPLAY set?)\n", stderr);
    return 1;
  }
  return 0;
}
