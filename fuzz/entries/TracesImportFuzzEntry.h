// The entries through which fuzzing, and the replay of its kept inputs, drive the import of data
// files.
#pragma once

#include <cstddef>
#include <cstdint>

namespace rep {

// Write the bytes to a data file of their kind and import it into a report through the whole
// import road. Each answers 1 when the import succeeded, else 0. Each trace must hold the x and y
// columns that the header's cells name, by name and unit, and every cell whose whole text is a
// plain number by strtod in the "C" locale must be imported with strtod's bits; both are cut from
// the file here, apart from the import. Each trace's data must read back from the block a project
// saves it in. What was imported must come again from a second import of the same bytes, and from
// its export form's text read into a fresh report: names, expressions, units, curves and every
// value's bits. A refused file must post its message and leave the report's written form as it
// was. A bad file gives a numbered message, never a soft assertion: any assertion is left recorded
// as a fault, and so is every check above that fails.
int FuzzImportTxt(const uint8_t* data, size_t size);
int FuzzImportCsv(const uint8_t* data, size_t size);
int FuzzImportTab(const uint8_t* data, size_t size);
int FuzzImportDat(const uint8_t* data, size_t size);

}  // namespace rep
