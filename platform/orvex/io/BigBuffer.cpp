#include "orvex/io/BigBuffer.h"

#include <cstdint>
#include <cstdlib>

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

namespace {
constexpr uintptr_t kHugePage = uintptr_t(1) << 21;

// Under the address sanitizer big buffers come from the heap, where it sees overruns and leaks.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapPages = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapPages = false;
#else
constexpr bool kMapPages = true;
#endif
#else
constexpr bool kMapPages = true;
#endif
size_t WholeHugePages(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }
}  // namespace

void* MapHugePages(size_t bytes) {
  bytes = WholeHugePages(bytes);
  if (!kMapPages) return std::aligned_alloc(kHugePage, bytes);
#if defined(__linux__)
  // Mapped a huge page longer, then cut to a start on a huge page boundary.
  void* const mapped = mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) return nullptr;
  const uintptr_t b = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t aligned = (b + kHugePage - 1) & ~(kHugePage - 1);
  if (aligned > b) munmap(mapped, aligned - b);
  const uintptr_t tail = b + bytes + kHugePage - (aligned + bytes);
  if (tail) munmap(reinterpret_cast<void*>(aligned + bytes), tail);
  AdviseBigFill(reinterpret_cast<void*>(aligned), bytes);
  return reinterpret_cast<void*>(aligned);
#else
  return std::aligned_alloc(kHugePage, bytes);
#endif
}

void UnmapHugePages(void* p, size_t bytes) {
  if (!p) return;
  if (!kMapPages) {
    std::free(p);
    return;
  }
#if defined(__linux__)
  munmap(p, WholeHugePages(bytes));
#else
  (void)bytes;
  std::free(p);
#endif
}

}  // namespace io
