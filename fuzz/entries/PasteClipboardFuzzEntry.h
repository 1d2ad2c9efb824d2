// The entry that the fuzz target PasteClipboardFuzz drives and that the tests replay its kept inputs
// through. It answers 1 for a clipboard whose reports were pasted and 0 for one refused. The soft
// assertions that the paste raises on a damaged clipboard are its answer to it and are forgotten;
// any other one (a broken check, an assertion on undo or redo) stays recorded as a fault.
#pragma once

#include <cstddef>
#include <cstdint>

namespace repfuzz {

// The bytes as a clipboard block, pasted as reports and as traces into a report of a design of the
// reference host, each with a command: every report and trace ID the manager holds stays unique,
// trace names stay unique within the report pasted into, undo gives back the reports and traces as they were
// and redo the pasted ones, and the project written after undo is the one written before the paste,
// after redo the one written after it.
int FuzzPasteClipboard(const uint8_t* data, size_t size);

}  // namespace repfuzz
