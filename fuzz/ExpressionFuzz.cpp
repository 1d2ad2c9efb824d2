// Feeds arbitrary bytes to the expression reader; a canonical text that does not read back as the
// same expression, with the same value bit for bit, or any soft assertion is a crash.
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "orvex/values/ExpressionFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  val::FuzzExpression(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
