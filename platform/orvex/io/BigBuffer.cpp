#include "orvex/io/BigBuffer.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace io {

namespace {

#if defined(__linux__) && (defined(MADV_HUGEPAGE) || defined(MADV_POPULATE_WRITE))
// Advice for the whole `unit`-aligned pages within [data, data + bytes), for buffers of at least
// `worthIt` bytes: the pages at the ends may hold memory of others. Only advice: where refused
// (older systems), the pages come as usual.
void AdviseWholePages(void* data, size_t bytes, uintptr_t unit, size_t worthIt, int advice) {
  if (bytes < worthIt) return;
  const uintptr_t b = (reinterpret_cast<uintptr_t>(data) + unit - 1) & ~(unit - 1);
  const uintptr_t e = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(unit - 1);
  if (e > b) (void)madvise(reinterpret_cast<void*>(b), e - b, advice);
}
#endif

}  // namespace

void AdviseBigFill(void* data, size_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  // Below 4 MiB the saving is small and a huge page could hold mostly memory of others.
  AdviseWholePages(data, bytes, uintptr_t(1) << 21, size_t(4) << 20, MADV_HUGEPAGE);
#else
  (void)data;
  (void)bytes;
#endif
}

void PrepareBigFill(void* data, size_t bytes) {
  AdviseBigFill(data, bytes);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  AdviseWholePages(data, bytes, 4096, size_t(1) << 20, MADV_POPULATE_WRITE);
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
