// Whole block trees to and from text and files.
#pragma once

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/Block.h"
#include "orvex/io/LongFileName.h"
#include "orvex/io/ReadError.h"

namespace io {

class CAbstract_istream;

// Writes one top block to the file (created, or replaced whole): 0, or kWriteFailed; on failure
// the file is left as it was.
ORVEX_API ReadError WriteBlockFile(const LongFileName& file, const CBlock& block);
// Reads a file holding one top block and nothing else: 0; kKeyMissing when the file cannot be
// opened; kConversionFailed when its text is damaged. On failure the block is left unchanged and
// `error` (when given) says where and what ("line 3: ...").
ORVEX_API ReadError ReadBlockFile(const LongFileName& file, CBlock& block, AString* error = nullptr);

ORVEX_API AString BlockToText(const CBlock& block);
// The text must hold one top block and nothing else. On failure the block is left unchanged.
ORVEX_API bool BlockFromText(const AString& text, CBlock& block, AString* error = nullptr);

// Reads the one top block that the stream must hold and nothing else; `error` gets the reason
// on failure.
ORVEX_API bool ReadSingleBlock(CAbstract_istream& in, CBlock& out, AString* error);

}  // namespace io
