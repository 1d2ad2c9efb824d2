// The entry that the fuzz target ProjectFuzz drives and that the tests replay its kept inputs through.
// It answers 1 for an input it read whole and 0 for one it refused. The soft assertions that the
// project reader raises on damaged input are its answer to it and are forgotten; any other one (a
// broken round trip, a reread of the written text that asserts) stays recorded as a fault.
#pragma once

#include <cstddef>
#include <cstdint>

namespace repfuzz {

// A project file read by a report manager of the reference host, written, read into a fresh
// manager, which holds the same reports and traces (names, expressions, data) as the first, and
// written again: the two written texts are the same.
int FuzzProject(const uint8_t* data, size_t size);

}  // namespace repfuzz
