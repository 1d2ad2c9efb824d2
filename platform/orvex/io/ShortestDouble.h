// Shortest text of a double that reads back to the same bits, as std::to_chars writes it, made
// several times faster: long columns of doubles are the bulk of what block files hold.
#pragma once

#include <charconv>

#include "orvex/core/OrvexApi.h"

namespace io {

// Writes exactly what std::to_chars(first, last, v) writes and answers the same.
ORVEX_API std::to_chars_result ToCharsShortest(char* first, char* last, double v);

// Room WriteShortest needs at `first`: the longest text and the whole-register stores past it.
constexpr int kShortestRoom = 64;
// The same text at `first`, which has room for kShortestRoom characters; answers its end.
// `whole` tells whether the text has neither a point nor an exponent.
ORVEX_API char* WriteShortest(char* first, double v, bool& whole);

}  // namespace io
