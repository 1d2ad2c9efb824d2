// Doubles as base64 of their little-endian IEEE-754 bytes: the exact, compact text that long
// columns of doubles are stored in (every bit kept: NaN payloads, -0, infinities, subnormals).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "orvex/core/AString.h"
#include "orvex/core/OrvexApi.h"
#include "orvex/io/BigBuffer.h"

namespace io {

// Appends the base64 (RFC 4648 alphabet, '=' padded) of the n doubles' bytes.
ORVEX_API void AppendDoublesBase64(std::string& out, const double* values, size_t n);
ORVEX_API void AppendDoublesBase64(BigString& out, const double* values, size_t n);

// Appends the doubles that [b, e) holds. The text must be whole: groups of four base64
// characters, padding only at its end, no stray bits, a whole number of doubles. Damaged text
// answers false with `error` saying where and what, and `out` as it was.
ORVEX_API bool ReadDoublesBase64(const char* b, const char* e, std::vector<double>& out, AString& error);

}  // namespace io
