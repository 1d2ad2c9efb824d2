// Big buffers (a column's text of many megabytes): advice for those about to be filled, and pages
// of their own for the biggest. The first touch of fresh memory, not the copying, is what they cost.
#pragma once

#include <cstddef>
#include <limits>
#include <new>
#include <string>

#include "orvex/core/OrvexApi.h"

namespace io {

// Asks that the whole 2 MiB pages within [data, data + bytes) come as huge pages where the system
// has them, so that filling the buffer takes one page fault per 2 MiB instead of one per 4 KiB.
// Does nothing for small buffers or where the system has no such advice; contents are kept.
ORVEX_API void AdviseBigFill(void* data, size_t bytes);

// The same for the unused capacity of a string or vector that is about to grow into it.
template <class Container>
void AdviseBigFillOfCapacity(Container& c) {
  if (c.capacity() > c.size())
    AdviseBigFill(c.data() + c.size(),
                  (c.capacity() - c.size()) * sizeof(typename Container::value_type));
}

// As AdviseBigFill, for memory that is about to be written whole: its pages are also made present
// at once, one call instead of a page fault each (on some virtual machines a fault costs as much
// as filling its page many times over). Not for room that may stay unused: it would be taken.
ORVEX_API void PrepareBigFill(void* data, size_t bytes);

template <class Container>
void PrepareBigFillOfCapacity(Container& c) {
  if (c.capacity() > c.size())
    PrepareBigFill(c.data() + c.size(), (c.capacity() - c.size()) * sizeof(typename Container::value_type));
}

// Whole 2 MiB pages mapped for `bytes` alone, asked to come as huge pages: neither end shares a page
// with other memory, so the whole buffer can be held in huge pages (memory from the heap keeps 4 KiB
// pages at both ends, each a page fault of its own). Null when the system refuses.
ORVEX_API void* MapHugePages(size_t bytes);
// Gives back what MapHugePages(bytes) answered.
ORVEX_API void UnmapHugePages(void* p, size_t bytes);

// Allocator of buffers that may grow to many megabytes (a column's text): big ones are mapped by
// MapHugePages, others come from the heap as usual.
template <class T>
class BigAllocator {
public:
  using value_type = T;
  // From this size on, a buffer has pages of its own.
  static constexpr size_t kBig = size_t(4) << 20;

  BigAllocator() noexcept = default;
  template <class U>
  BigAllocator(const BigAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    if (n > std::numeric_limits<size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    if (n * sizeof(T) < kBig) return static_cast<T*>(::operator new(n * sizeof(T)));
    void* const p = MapHugePages(n * sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) noexcept {
    if (n * sizeof(T) < kBig)
      ::operator delete(p);
    else
      UnmapHugePages(p, n * sizeof(T));
  }
};

template <class T, class U>
bool operator==(const BigAllocator<T>&, const BigAllocator<U>&) noexcept {
  return true;
}
template <class T, class U>
bool operator!=(const BigAllocator<T>&, const BigAllocator<U>&) noexcept {
  return false;
}

// Bytes of a text that may be many megabytes long (a column's values).
using BigString = std::basic_string<char, std::char_traits<char>, BigAllocator<char>>;

}  // namespace io
