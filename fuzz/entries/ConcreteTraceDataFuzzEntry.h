// The entry through which fuzzing, and the replay of its kept inputs, drive the stored-data reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "TraceDataContent.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"

namespace rep {

// Reads arbitrary bytes as the block text of "ConcreteTraceData" (and of exported components),
// touches every point of every curve in every column through the trace-data faces, converts,
// clones, and writes what was kept to text that must read back as the same curves and values.
// Answers 1 when the block read without an error, else 0; never crashes. The soft assertions that the readers raise on damaged input
// ("col", "curveFunc", "block.Found()", the primary sweep's name and column) are forgotten; any
// other one is left recorded as a fault: a point outside a column, surfaces beyond the curves,
// or kept data that does not read back whole and unchanged.
int FuzzConcreteTraceData(const uint8_t* data, size_t size);

class ConcreteTraceData;

// Reads every row that a curve claims in every column of the data; answers the invalid entries. A
// curve that reaches past a column is a soft assertion.
size_t TouchEveryStoredPoint(ConcreteTraceData& data);

// A soft assertion that a reader raises by design on damaged input: source base name and text.
struct NamedAssert {
  std::string file;
  std::string text;
};
// The column reader's report of a unit no table knows, which it reads as no unit.
inline const NamedAssert kUnknownColumnUnitAssert{"ColumnFactory", "!\"unknown full unit type\""};
// The block as its text reads back; a soft assertion when the text does not read.
io::CBlock ThroughText(const io::CBlock& block);

// What was read from an input and what its written form reads back are the same; a soft
// assertion and both on stderr when not.
void ExpectSameContent(const std::string& read, const std::string& readBack);

// Forgets the listed soft assertions recorded since `from` records; every other one stays.
void ForgetNamedAsserts(size_t from, const std::vector<NamedAssert>& named);

// Writes stored data as a project saves it, in its own block, and reads the text into fresh data
// of its kind: without an error, holding what the data holds, and written the same again. Soft
// assertions when not. A write compared only with the next write would miss a loss that happens
// once.
template <class StoredData>
void ExpectStoredFormReadsBack(StoredData& data) {
  io::CBlock written(data.GetBlockName());
  ORVEX_ASSERT(data.DoDataExchange(written, false)==io::kNoError);
  StoredData reread(data.GetManager(), id::invalidID);
  io::CBlock toRead = ThroughText(written);
  ORVEX_ASSERT(reread.DoDataExchange(toRead, true)==io::kNoError);
  ExpectSameContent(TraceDataContent(&data), TraceDataContent(&reread));
  io::CBlock rewritten(data.GetBlockName());
  reread.DoDataExchange(rewritten, false);
  ORVEX_ASSERT(written==rewritten);
}

}  // namespace rep
