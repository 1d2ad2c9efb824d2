// The entry that fuzzing, and the replay of its kept inputs, drive for the block text readers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orvex/core/OrvexApi.h"

namespace io {

// Reads arbitrary bytes as block text and exercises every reader on them: the token reader, the
// line reader, the block reader, and for a block that reads, its lookups and a write-read-write
// round trip, which must give the same bytes (a soft assertion otherwise). Answers 1 when the
// bytes held a block, else 0; never crashes, never throws.
ORVEX_API int FuzzBlockText(const uint8_t* data, size_t size);

}  // namespace io
