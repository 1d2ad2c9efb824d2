// The entry that fuzzing, and the replay of its kept inputs, drive for the cache file reader.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orvex/core/OrvexApi.h"

namespace postp {

// Reads arbitrary bytes as a cache file, binary or block text (inside a name space with variables
// "Freq", "L", "W" and the text variable "Mode") and, when it reads, writes it in its binary form,
// reads that back and writes again: both writes must give the same bytes, and what reads back
// must hold the values written, bit for bit (a soft assertion otherwise). Answers 1 when the
// bytes held a cache, else 0; never crashes, never throws.
POSTORVEX_API int FuzzMinorVVsCache(const uint8_t* data, size_t size);

}  // namespace postp
