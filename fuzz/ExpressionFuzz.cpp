// libFuzzer entry for the expression reader.
#include <cstddef>
#include <cstdint>

#include "orvex/values/ExpressionFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  val::FuzzExpression(data, size);
  return 0;
}
