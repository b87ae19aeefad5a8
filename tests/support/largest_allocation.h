// SPDX-License-Identifier: GPL-3.0-or-later
// The largest block of memory asked for while run() runs, libpng's requests included, seen
// through AddressSanitizer's allocator hooks (a limit on the address space does not work under
// the sanitizer, and resident sizes miss blocks never written). Always 0 without it.
#pragma once
#include <algorithm>
#include <cstddef>

inline size_t largestAllocation = 0;  // since the last reset: hooks cannot be removed
#ifdef __SANITIZE_ADDRESS__
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
inline const int allocationHook = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void*, size_t size) { largestAllocation = std::max(largestAllocation, size); },
    [](const volatile void*) {});
#endif

template <typename Run>
size_t LargestAllocationDuring(Run run) {
  largestAllocation = 0;
  run();
  return largestAllocation;
}
