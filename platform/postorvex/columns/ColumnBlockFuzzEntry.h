// The entry that fuzzing, and the replay of its kept inputs, drive for the column readers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orvex/core/OrvexApi.h"

namespace postorvex {

// Reads arbitrary bytes as a column block in block text, and the bytes after the first as the
// values text of every kind (the first byte gives the count). A column that reads is written
// and read again and must come back with the same values, bit for bit (a soft assertion
// otherwise). Answers 1 when the
// bytes held a column block, else 0; never crashes.
POSTORVEX_API int FuzzColumnBlock(const uint8_t* data, size_t size);

}  // namespace postorvex
