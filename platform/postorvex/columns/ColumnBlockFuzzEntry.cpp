#include "postorvex/columns/ColumnBlockFuzzEntry.h"

#include <cstdio>
#include <memory>
#include <string>

#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/columns/Column.h"
#include "postorvex/columns/ColumnValueBits.h"

namespace postorvex {

namespace {

const int kKinds[] = {1, 2, 3, 4, 5, 9, 10, 13, 14, 15, 16, 17, 18};

// What reads back holds the very values written: two texts of one writer would agree on a value
// that writer rounds.
void RoundTrip(const Column& column) {
  io::CBlock again;
  column.WriteColumn(again);
  std::unique_ptr<Column> back(Column::ReadAndCreateColumn(again));
  const std::string written = ColumnValueBits(column);
  const bool same = back && ColumnValueBits(*back) == written;
  ORVEX_ASSERT(same);
  if (!same)
    std::fprintf(stderr, "written: %s\nread back: %s\n", written.c_str(),
                 back ? ColumnValueBits(*back).c_str() : "nothing");
}

}  // namespace

int FuzzColumnBlock(const uint8_t* data, size_t size) {
  const AString text = AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size));
  if (size > 0) {
    const AString rest = AString::FromUtf8(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    for (int type : kKinds) {
      AString error;
      std::unique_ptr<Column> c(Column::CreateFromValuesText(type, 90, data[0] % 16, rest, error));
      if (c) RoundTrip(*c);
    }
  }
  io::CBlock block;
  if (!io::BlockFromText(text, block)) return 0;
  AString error;
  const size_t assertsBefore = orvex::test::Asserts().Count();
  std::unique_ptr<Column> column(Column::ReadAndCreateColumn(block, error));
  // A unit no table knows is reported and read as no unit: the reader's answer to the input.
  if (orvex::test::Asserts().Count() > assertsBefore) orvex::test::Asserts().Take("!\"unknown full unit type\"");
  if (!column) return 0;
  RoundTrip(*column);
  return 1;
}

}  // namespace postorvex
