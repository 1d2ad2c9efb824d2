// The entries through which fuzzing, and the replay of its kept inputs, drive the readers of the
// export forms of traces and of whole reports.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rep {

// Reads the bytes as the block text of a block holding "Traces" into a report, touches every point
// of every trace added, writes each trace's stored data as a project saves it and reads it back
// unchanged, writes the added traces, reads their text into another report, which must hold the
// same traces, curves and values as were read, and writes that again: the two written forms are
// the same but for the traces' IDs. Answers 1 when every trace read, else 0. The assertions that
// the reader raises on damaged input are forgotten; any other one, and any one raised by the
// second read, stays recorded as a fault.
int FuzzTracesWithData(const uint8_t* data, size_t size);

// The same for whole reports with their data: read into a fresh manager, each trace's stored data
// written and read back, the reports written, their text read into another fresh manager, which
// must hold what the first read, and written again; the two written forms are the same but for
// the reports' and traces' IDs. Answers 1 when every item was a report whose traces all read,
// else 0.
int FuzzReportsWithData(const uint8_t* data, size_t size);

}  // namespace rep
