// Advice for big buffers about to be filled: the first touch of fresh memory, not the copying,
// is what a column's text of many megabytes costs.
#pragma once

#include <cstddef>

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

}  // namespace io
