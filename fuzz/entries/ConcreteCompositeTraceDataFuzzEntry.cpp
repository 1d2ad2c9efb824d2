#include "ConcreteCompositeTraceDataFuzzEntry.h"

#include <memory>
#include <string>
#include <vector>

#include "tracedata/ConcreteCompositeTraceData.h"
#include "ConcreteTraceDataFuzzEntry.h"
#include "reports/ReportManager.h"
#include "orvex/core/Assert.h"
#include "orvex/core/Ids.h"
#include "orvex/io/Block.h"
#include "orvex/io/BlockFile.h"
#include "postorvex/columns/Column.h"
#include "TraceDataContent.h"

namespace rep {

namespace {

// The soft assertions, by source and text, that reading damaged stored data raises by design.
const std::vector<NamedAssert> kDamagedInputAsserts = {
    {"GravikUtils", "col"},
    kUnknownColumnUnitAssert,
    {"ConcreteCompositeTraceData", "0"},
    {"ConcreteCompositeTraceData", "col"},
    {"TraceCurveData", "curveFunc"},
    {"CommonTraceData", "!\"Primary block exists, but no name?!\""},
    {"CommonTraceData", "!\"Primary block exists, but no column?!\""},
};

void CollectLeafColumns(const IBaseTraceComponentData* node, std::vector<const Column*>& out) {
  if (auto* leaf = dynamic_cast<const ITraceComponentData*>(node)) {
    out.push_back(leaf->GetDataColumn());
    return;
  }
  if (auto* composite = dynamic_cast<const ICompositeTraceComponentData*>(node))
    for (unsigned i = 0; i < composite->GetNumChildren(); ++i) CollectLeafColumns(composite->GetChild(i), out);
}

// Reads every row that a curve claims in every leaf and in the primary sweep's column.
void TouchEveryPoint(ConcreteCompositeTraceData& data) {
  std::vector<const Column*> columns;
  for (unsigned i = 0; i < data.GetNumComponents(); ++i) CollectLeafColumns(data.GetComponent(i), columns);
  columns.push_back(data.GetTraceDataSweepInfo()->GetPrimarySweepColumn());
  for (const Column* column : columns) {
    if (!column) continue;
    for (unsigned c = 0; c < data.GetNumCurves(); ++c) {
      const uint64_t first = data.GetCurveOffset(c);
      const uint64_t end = first + data.GetNumPointsInCurve(c);
      ORVEX_ASSERT(end<=column->GetCount());
      if (end > column->GetCount()) return;
      for (uint64_t row = first; row < end; ++row) (void)column->IsInvalidAt(row);
      (void)data.GetCurveVariationKey(c, true);
    }
  }
}

}  // namespace

int FuzzConcreteCompositeTraceData(const uint8_t* data, size_t size) {
  io::CBlock block;
  if (!io::BlockFromText(AString::FromUtf8(std::string(reinterpret_cast<const char*>(data), size)), block)) return 0;
  ReportManager mgr(nullptr, true);

  ConcreteCompositeTraceData stored(mgr, id::invalidID);
  size_t before = orvex::test::Asserts().Count();
  const io::ReadError status = stored.DoDataExchange(block, true);
  ForgetNamedAsserts(before, kDamagedInputAsserts);
  TouchEveryPoint(stored);
  ExpectStoredFormReadsBack(stored);

  std::unique_ptr<ConcreteCompositeTraceData> clone(stored.Clone());
  TouchEveryPoint(*clone);
  ExpectStoredFormReadsBack(*clone);

  // The same bytes as the components of the export form: all or nothing.
  ConcreteCompositeTraceData exported(mgr, id::invalidID);
  before = orvex::test::Asserts().Count();
  const bool read = exported.ReadComponentsFromBlock(block);
  ForgetNamedAsserts(before, kDamagedInputAsserts);
  ORVEX_ASSERT(read || exported.GetNumComponents()==0);
  io::CBlock components(L"TraceComponents");
  if (exported.WriteComponentsToBlock(components)) {
    ConcreteCompositeTraceData again(mgr, id::invalidID);
    ORVEX_ASSERT(again.ReadComponentsFromBlock(components));
    ORVEX_ASSERT(again.GetNumComponents()==exported.GetNumComponents());
  }
  return status == io::kNoError ? 1 : 0;
}

}  // namespace rep
