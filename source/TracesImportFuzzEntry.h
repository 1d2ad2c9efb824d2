// The entries through which fuzzing, and the replay of its kept inputs, drive the import of data
// files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rep {

// Write the bytes to a data file of their kind and import it into a report through the whole
// import road; touch every point of what was added. Each answers 1 when the import succeeded,
// else 0. A bad file gives a numbered message, never a soft assertion: any assertion is left
// recorded as a fault, and so is an import that failed without a message.
int FuzzImportTxt(const uint8_t* data, size_t size);
int FuzzImportCsv(const uint8_t* data, size_t size);
int FuzzImportTab(const uint8_t* data, size_t size);
int FuzzImportDat(const uint8_t* data, size_t size);

}  // namespace rep
