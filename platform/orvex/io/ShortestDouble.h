// Shortest text of a double that reads back to the same bits, as std::to_chars writes it, made
// several times faster: long columns of doubles are the bulk of what block files hold.
#pragma once

#include <charconv>

#include "orvex/core/OrvexApi.h"

namespace io {

// Writes exactly what std::to_chars(first, last, v) writes and answers the same.
ORVEX_API std::to_chars_result ToCharsShortest(char* first, char* last, double v);

}  // namespace io
