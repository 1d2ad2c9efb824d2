// The entry through which fuzzing, and the replay of its kept inputs, drive the reader of stored
// composite trace data.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rep {

// Reads arbitrary bytes as the block text of "ConcreteCompositeTraceData" (and as the export
// form's components), touches every point of every curve in every leaf, clones, and writes and
// reads what was kept once more. Answers 1 when the block read without an error, else 0; never
// crashes. The soft assertions that the readers raise on damaged input are forgotten; any other
// one is left recorded as a fault: a point outside a leaf, a tree read in part, or kept data
// that does not read back whole and unchanged.
int FuzzConcreteCompositeTraceData(const uint8_t* data, size_t size);

}  // namespace rep
