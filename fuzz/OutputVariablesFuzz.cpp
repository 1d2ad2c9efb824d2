// Feeds arbitrary bytes to the reader of the block "OutputVariables"; a soft assertion that the entry
// leaves recorded (kept variables that do not read back unchanged, a new ID that repeats one read)
// is a crash.
#include <cstdint>
#include <cstdlib>

#include "OutputVariablesFuzzEntry.h"
#include "orvex/core/Assert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvex::test::Asserts().SetEcho(true);
  rep::FuzzReadOutputVariables(data, size);
  if (orvex::test::Asserts().Count() != 0) std::abort();
  return 0;
}
