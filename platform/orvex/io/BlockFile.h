// Whole block trees to and from text and files, and the entry that fuzzing drives.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/Block.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/ReadError.h"

namespace io {

// Writes one top block to the file (created or truncated): 0, or kWriteFailed.
ORVEX_API ReadError WriteBlockFile(const LongFileName& file, const CBlock& block);
// Reads a file holding one top block and nothing else: 0; kKeyMissing when the file cannot be
// opened; kConversionFailed when its text is damaged. On failure the block is left unchanged and
// `error` (when given) says where and what ("line 3: ...").
ORVEX_API ReadError ReadBlockFile(const LongFileName& file, CBlock& block, AString* error = nullptr);

ORVEX_API AString BlockToText(const CBlock& block);
// The text must hold one top block and nothing else. On failure the block is left unchanged.
ORVEX_API bool BlockFromText(const AString& text, CBlock& block, AString* error = nullptr);

// Reads arbitrary bytes as block text and exercises every reader on them: the token reader, the
// line reader, the block reader, and for a block that reads, its lookups and a write-read-write
// round trip, which must give the same bytes (a soft assertion otherwise). Answers 1 when the
// bytes held a block, else 0; never crashes, never throws.
ORVEX_API int FuzzReadBlockText(const uint8_t* data, size_t size);

}  // namespace io
