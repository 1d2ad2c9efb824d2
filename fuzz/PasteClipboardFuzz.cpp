// Feeds arbitrary bytes as a clipboard pasted as reports and as traces, each undone and redone.
#include <cstdint>

#include "FuzzCheck.h"
#include "PasteClipboardFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzPasteClipboard(data, size);
  AbortOnEntryCheck("PasteClipboardFuzzEntry");
  return 0;
}
