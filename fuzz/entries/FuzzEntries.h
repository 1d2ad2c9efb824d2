// The entries that the fuzz targets of whole files drive, and that the tests replay their kept
// inputs through. Each answers 1 for an input it read whole and 0 for one it refused. A broken
// round trip is a soft assertion raised in the entry's own file; what the readers raise on
// damaged input is their answer to it, not a fault.
#pragma once

#include <cstddef>
#include <cstdint>

namespace repfuzz {

// A project file read by a report manager of the reference host, written, read into a fresh
// manager and written again: the two written texts are the same.
int FuzzReadProject(const uint8_t* data, size_t size);

// The bytes up to the first NUL are a cache header file, the rest the minor cache file "MVC0.dat"
// beside it, read with ReadCacheFiles by a cache of the reference host's solution; what was read
// is written, read by a fresh cache and written again: the two header texts are the same.
int FuzzReadCacheHeader(const uint8_t* data, size_t size);

// The bytes after the first, read as one block from a file and from memory: the same tree or the
// same error. The first byte puts the text that many bytes before the file reader's refill.
int FuzzReadBlockFileAgainstMemory(const uint8_t* data, size_t size);

}  // namespace repfuzz
