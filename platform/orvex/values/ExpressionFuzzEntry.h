// One entry that feeds arbitrary bytes to the expression reader: for the fuzzer and its replay test.
#pragma once

#include <cstddef>
#include <cstdint>

#include "orvex/core/OrvexApi.h"

namespace val {

// Decodes the bytes as UTF-8 and parses them as an expression (every name resolves to a quantity),
// regenerates and re-parses the text, evaluates it, scans its alien labels and reads it as a
// variation key. Answers 1 when the text was a valid expression. A canonical text that does not
// read back valid, of the same kind and with the same value bit for bit at a few values of the
// variable "x", is a soft assertion. Leaves no global state behind.
ORVEX_API int FuzzExpression(const uint8_t* data, size_t size);

}  // namespace val
