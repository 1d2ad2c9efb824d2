// The entry that the fuzz target CacheHeaderFuzz drives and that the tests replay its kept inputs through.
// It answers 1 for an input it read whole and 0 for one it refused. A broken round trip is a soft
// assertion raised in the entry's own file; what the readers raise on damaged input is their answer
// to it, not a fault.
#pragma once

#include <cstddef>
#include <cstdint>

namespace repfuzz {

// The bytes up to the first NUL are a cache header file, the rest the minor cache file "MVC0.dat"
// beside it, read with ReadCacheFiles by a cache of the reference host's solution; what was read
// is written, read by a fresh cache and written again: the two header texts are the same.
int FuzzCacheHeader(const uint8_t* data, size_t size);

}  // namespace repfuzz
