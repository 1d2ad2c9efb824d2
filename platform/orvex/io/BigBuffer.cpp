#include "orvex/io/BigBuffer.h"

#include <algorithm>
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

namespace detail {

HugePageKeep::HugePageKeep(size_t maxBytes, Clock::duration maxAge, PieceFn forget, PieceFn release)
    : m_maxBytes(maxBytes), m_maxAge(maxAge), m_forget(forget), m_release(release) {
  // Keep then never allocates (it runs where memory is freed): with room for the most pieces of
  // one huge page each that the bound holds, the oldest piece goes when there is no room left.
  m_kept.reserve(std::max<size_t>(16, maxBytes / kHugePage));
}

HugePageKeep::~HugePageKeep() {
  std::lock_guard<std::mutex> hold(m_lock);
  while (!m_kept.empty()) ReleaseFront();
}

void* HugePageKeep::Take(size_t& bytes, Clock::time_point now) {
  std::lock_guard<std::mutex> hold(m_lock);
  ExpireLocked(now);
  size_t best = m_kept.size();
  for (size_t i = 0; i < m_kept.size(); ++i) {
    const size_t n = m_kept[i].bytes;
    if (n >= bytes && n / 2 <= bytes && (best == m_kept.size() || n < m_kept[best].bytes)) best = i;
  }
  if (best == m_kept.size()) return nullptr;
  void* const p = m_kept[best].p;
  bytes = m_kept[best].bytes;
  m_bytes -= bytes;
  m_kept.erase(m_kept.begin() + static_cast<std::ptrdiff_t>(best));
  return p;
}

bool HugePageKeep::Keep(void* p, size_t bytes, Clock::time_point now) {
  if (!p || bytes > m_maxBytes) return false;
  m_forget(p, bytes);
  std::lock_guard<std::mutex> hold(m_lock);
  ExpireLocked(now);
  while (!m_kept.empty() && (m_bytes + bytes > m_maxBytes || m_kept.size() == m_kept.capacity())) ReleaseFront();
  m_kept.push_back(Kept{p, bytes, now});
  m_bytes += bytes;
  return true;
}

void HugePageKeep::Expire(Clock::time_point now) {
  std::lock_guard<std::mutex> hold(m_lock);
  ExpireLocked(now);
}

size_t HugePageKeep::KeptBytes() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_bytes;
}

size_t HugePageKeep::KeptPieces() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_kept.size();
}

void HugePageKeep::ExpireLocked(Clock::time_point now) {
  while (!m_kept.empty() && now - m_kept.front().since > m_maxAge) ReleaseFront();
}

void HugePageKeep::ReleaseFront() {
  const Kept oldest = m_kept.front();
  m_kept.erase(m_kept.begin());
  m_bytes -= oldest.bytes;
  m_release(oldest.p, oldest.bytes);
}

}  // namespace detail

namespace {

// A tree read from a project file of 100 MB takes about 170 MB; kept pieces cost nothing once the
// system needs their memory, and go at the first call after some seconds of no use.
constexpr size_t kKeepBytes = size_t(256) << 20;
constexpr auto kKeepAge = std::chrono::seconds(10);

void ForgetContents(void* p, size_t bytes) {
#if defined(__linux__) && defined(MADV_FREE)
  (void)madvise(p, WholeHugePages(bytes), MADV_FREE);
#else
  (void)p;
  (void)bytes;
#endif
}

detail::HugePageKeep* Keep() {
  if (!kMapPages) return nullptr;
  // Never destroyed: memory may be given back after the statics are gone.
  static detail::HugePageKeep* const keep = new detail::HugePageKeep(kKeepBytes, kKeepAge, ForgetContents, UnmapHugePages);
  return keep;
}

}  // namespace

void* TakeHugePages(size_t& bytes) {
  bytes = WholeHugePages(bytes);
  if (detail::HugePageKeep* keep = Keep())
    if (void* p = keep->Take(bytes, detail::HugePageKeep::Clock::now())) return p;
  return MapHugePages(bytes);
}

void ExpireKeptHugePages() {
  if (detail::HugePageKeep* keep = Keep()) keep->Expire(detail::HugePageKeep::Clock::now());
}

void GiveBackHugePages(void* p, size_t bytes) {
  if (!p) return;
  detail::HugePageKeep* const keep = Keep();
  if (!keep || !keep->Keep(p, WholeHugePages(bytes), detail::HugePageKeep::Clock::now())) UnmapHugePages(p, bytes);
}

}  // namespace io
