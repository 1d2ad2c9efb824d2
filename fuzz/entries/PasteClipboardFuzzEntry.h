// The entry that the fuzz target PasteClipboardFuzz drives and that the tests replay its kept inputs
// through. It answers 1 for a clipboard whose reports were pasted and 0 for one refused. A broken
// check is a soft assertion raised in the entry's own file; what the readers raise on a damaged
// clipboard is their answer to it, not a fault.
#pragma once

#include <cstddef>
#include <cstdint>

namespace repfuzz {

// The bytes as a clipboard block, pasted as reports and as traces into a report of a design of the
// reference host, each with a command: every report and trace ID the manager holds stays unique,
// trace names stay unique within the report pasted into, undo gives back the reports and traces as they were
// and redo the pasted ones.
int FuzzPasteClipboard(const uint8_t* data, size_t size);

}  // namespace repfuzz
