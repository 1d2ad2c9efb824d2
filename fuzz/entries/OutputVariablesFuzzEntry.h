// The entry through which fuzzing, and the replay of its kept inputs, drive the reader of the block "OutputVariables".
#pragma once

#include <cstddef>
#include <cstdint>

namespace rep {

// Reads arbitrary bytes as the block text of a project holding "OutputVariables", writes what was
// kept, reads that into a fresh manager and writes it again. Answers 1 when the first read had no
// error, else 0; never crashes. A variable read that does not come back, one by one, with the same
// ID, name, expression and value state, a second write that differs from the first, or a new ID
// that does not exceed every ID read, is left recorded as a soft assertion.
int FuzzOutputVariables(const uint8_t* data, size_t size);

}  // namespace rep
