// SPDX-License-Identifier: GPL-3.0-or-later
// The most heap memory held at once while run() runs, beyond what was held when it started, seen
// through AddressSanitizer's allocator hooks: resident sizes would miss blocks never written and
// count the sanitizer's own. Always 0 without it.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

// Signed: blocks allocated before the hooks were installed may be freed while they count.
inline int64_t heapInUse = 0, heapPeak = 0;
#ifdef __SANITIZE_ADDRESS__
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t),
                                                         void (*)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
inline const int heapHooks = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void*, size_t size) {
      heapInUse += static_cast<int64_t>(size);
      heapPeak = std::max(heapPeak, heapInUse);
    },
    // The free hook runs while the block is still allocated, so its size can be asked.
    [](const volatile void* block) { heapInUse -= static_cast<int64_t>(__sanitizer_get_allocated_size(block)); });
#endif

template <typename Run>
size_t PeakHeapDuring(Run run) {
  int64_t start = heapPeak = heapInUse;
  run();
  return static_cast<size_t>(heapPeak - start);
}
