// The entry that the fuzz target CacheHeaderFuzz drives and that the tests replay its kept inputs through.
// It answers 1 for an input it read whole and 0 for one it refused. The soft assertions that the
// cache readers raise on damaged files are their answer to them and are forgotten; any other one (a
// broken round trip, a reread of the written files that asserts) stays recorded as a fault.
#pragma once

#include <cstddef>
#include <cstdint>

namespace repfuzz {

// The bytes up to the first NUL are a cache header file, the rest the minor cache file "MVC0.dat"
// beside it, read with ReadCacheFiles by a cache of the reference host's solution; what was read
// is written, read by a fresh cache and written again: the two header texts are the same.
int FuzzCacheHeader(const uint8_t* data, size_t size);

}  // namespace repfuzz
