// Feeds arbitrary bytes as a clipboard pasted as reports and as traces, each undone and redone; a
// project that undo or redo does not give back as it was written, or any soft assertion other than
// those the paste raises on a damaged clipboard, is a crash.
#include <cstdint>

#include "FuzzCheck.h"
#include "PasteClipboardFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  repfuzz::FuzzPasteClipboard(data, size);
  AbortOnEntryCheck(nullptr);
  return 0;
}
