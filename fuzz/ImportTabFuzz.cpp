// Imports arbitrary bytes as a "tab" data file; a crash, a sanitizer report or any soft assertion
// (the import road raises none on a bad file, which gets its numbered message) is a fault.
#include <cstdint>

#include "FuzzCheck.h"
#include "TracesImportFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rep::FuzzImportTab(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
