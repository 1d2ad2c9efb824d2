#include "orvex/io/BigBuffer.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace io {

void AdviseBigFill(void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uintptr_t kHuge = uintptr_t(1) << 21;
  // Below this the saving is small and a huge page could hold mostly memory of others.
  constexpr size_t kWorthIt = size_t(4) << 20;
  if (bytes < kWorthIt) return;
  const uintptr_t b = (reinterpret_cast<uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
  const uintptr_t e = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kHuge - 1);
  // Only advice: when refused, the pages come as usual.
  if (e > b) (void)madvise(reinterpret_cast<void*>(b), e - b, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

void PrepareBigFill(void* data, size_t bytes) {
  AdviseBigFill(data, bytes);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  constexpr uintptr_t kPage = 4096;
  constexpr size_t kWorthIt = size_t(1) << 20;
  if (bytes < kWorthIt) return;
  // Whole pages only: the pages at the ends may hold memory of others.
  const uintptr_t b = (reinterpret_cast<uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
  const uintptr_t e = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(kPage - 1);
  // Only a head start: where refused (older systems), the pages come as usual.
  if (e > b) (void)madvise(reinterpret_cast<void*>(b), e - b, MADV_POPULATE_WRITE);
#endif
}

}  // namespace io
