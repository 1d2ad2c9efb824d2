#include "ConcreteTraceDataFuzzEntry.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tracedata/ConcreteTraceData.h"
#include "reports/ReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/columns/Column.h"
#include "TraceDataContent.h"

namespace rep {

size_t TouchEveryStoredPoint(ConcreteTraceData& data) {
  size_t invalid = 0;
  std::vector<const Column*> columns;
  for (unsigned d = 0; d < data.GetNumComponents(); ++d) {
    columns.push_back(data.GetDataColumn(d));
    columns.push_back(data.GetTextColumn(d));
  }
  columns.push_back(data.GetPrimarySweepColumn());
  for (const Column* column : columns) {
    if (!column) continue;
    for (unsigned c = 0; c < data.GetNumCurves(); ++c) {
      const uint64_t first = data.GetCurveOffset(c);
      const uint64_t end = first + data.GetNumPointsInCurve(c);
      ORVEX_ASSERT(end<=column->GetCount());
      if (end > column->GetCount()) return invalid;
      for (uint64_t row = first; row < end; ++row) invalid += column->IsInvalidAt(row) ? 1 : 0;
      (void)data.GetCurveVariationKey(c, true);
    }
  }
  uint64_t curvesInSurfaces = 0;
  for (unsigned s = 0; s < data.GetNumSurfaces(); ++s) {
    curvesInSurfaces += data.GetNumCurvesInSurface(s);
    (void)data.GetSurfaceVariationKey(s, true);
  }
  ORVEX_ASSERT(curvesInSurfaces<=data.GetNumCurves());
  return invalid;
}

namespace {

// The soft assertions, by source and text, that reading damaged stored data raises by design.
const std::vector<NamedAssert> kDamagedInputAsserts = {
    {"GravikUtils", "col"},
    kUnknownColumnUnitAssert,
    {"ConcreteTraceData", "col"},
    {"ConcreteTraceData", "block.Found()"},
    {"TraceCurveData", "curveFunc"},
    {"CommonTraceData", "!\"Primary block exists, but no name?!\""},
    {"CommonTraceData", "!\"Primary block exists, but no column?!\""},
};

void ForgetDamagedInputAsserts(size_t from) { ForgetNamedAsserts(from, kDamagedInputAsserts); }

}  // namespace

io::CBlock ThroughText(const io::CBlock& block) {
  io::CBlock read;
  const bool readBack = io::BlockFromText(io::BlockToText(block), read);
  ORVEX_ASSERT(readBack);
  return read;
}

void ExpectSameContent(const std::string& read, const std::string& readBack) {
  ORVEX_ASSERT(read==readBack);
  if (read != readBack) std::fprintf(stderr, "read:\n%s\nread back:\n%s\n", read.c_str(), readBack.c_str());
}

void ForgetNamedAsserts(size_t from, const std::vector<NamedAssert>& named) {
  orvex::test::AssertLog& log = orvex::test::Asserts();
  std::vector<orvex::test::AssertRecord> kept(log.Records().begin(), log.Records().begin() + from);
  for (auto it = log.Records().begin() + from; it != log.Records().end(); ++it) {
    bool listed = false;
    for (const NamedAssert& n : named) listed = listed || (it->file == n.file && it->text == n.text);
    if (!listed) kept.push_back(*it);
  }
  log.Clear();
  for (auto& record : kept) log.Add(std::move(record));
}

int FuzzConcreteTraceData(const uint8_t* data, size_t size) {
  io::CBlock block;
  if (!io::BlockFromText(AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size)), block)) return 0;
  ReportManager mgr(nullptr, true);

  ConcreteTraceData stored(mgr, id::invalidID);
  size_t before = orvex::test::Asserts().Count();
  const io::ReadError status = stored.DoDataExchange(block, true);
  ForgetDamagedInputAsserts(before);
  TouchEveryStoredPoint(stored);

  ExpectStoredFormReadsBack(stored);

  std::unique_ptr<ConcreteTraceData> clone(stored.Clone());
  // No owner: digital columns become doubles.
  clone->ConvertDigitalColumnsToDouble();
  TouchEveryStoredPoint(*clone);

  // The same bytes as the components of the export form.
  ConcreteTraceData exported(mgr, id::invalidID);
  before = orvex::test::Asserts().Count();
  exported.ReadComponentsFromBlock(block);
  ForgetDamagedInputAsserts(before);
  io::CBlock components(L"TraceComponents");
  if (exported.WriteComponentsToBlock(components)) {
    ConcreteTraceData again(mgr, id::invalidID);
    ORVEX_ASSERT(again.ReadComponentsFromBlock(components));
    ORVEX_ASSERT(again.GetNumComponents()==exported.GetNumComponents());
  }
  return status == io::kNoError ? 1 : 0;
}

}  // namespace rep
