// Imports arbitrary bytes as a "txt" data file; a crash, a sanitizer report or a soft assertion
// left recorded (the import road raises none on a bad file) is a fault.
#include <cstdint>
#include <cstdlib>

#include "TracesImportFuzzEntry.h"
#include "orvex/core/Assert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orvex::test::Asserts().SetEcho(true);
  rep::FuzzImportDataFile("txt", data, size);
  if (orvex::test::Asserts().Count() != 0) std::abort();
  return 0;
}
