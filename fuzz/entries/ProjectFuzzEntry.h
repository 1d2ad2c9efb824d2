// The entry that the fuzz target ProjectFuzz drives and that the tests replay its kept inputs through.
// It answers 1 for an input it read whole and 0 for one it refused. A broken round trip is a soft
// assertion raised in the entry's own file; what the readers raise on damaged input is their answer
// to it, not a fault.
#pragma once

#include <cstddef>
#include <cstdint>

namespace repfuzz {

// A project file read by a report manager of the reference host, written, read into a fresh
// manager and written again: the two written texts are the same.
int FuzzProject(const uint8_t* data, size_t size);

}  // namespace repfuzz
