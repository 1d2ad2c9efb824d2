// The entry that the fuzz target BlockFileFuzz drives and that the tests replay its kept inputs through.
// It answers 1 for an input it read whole and 0 for one it refused. The block reader answers damaged
// text with an error, never a soft assertion: any one raised stays recorded as a fault.
#pragma once

#include <cstddef>
#include <cstdint>

namespace repfuzz {

// The bytes after the first, read as one block from a file and from memory: the same tree or the
// same error. The first byte puts the text that many bytes before the file reader's refill.
int FuzzBlockFile(const uint8_t* data, size_t size);

}  // namespace repfuzz
