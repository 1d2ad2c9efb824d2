#include "tracedata/CompositeTraceDataColumnValueCollector.h"

#include "tracedata/BaseCompositeTraceData.h"
#include "reports/GravikUtils.h"
#include "tracedata/TraceComponentData.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"
#include "orvex/values/Value.h"
#include "postorvex/columns/CharColumn.h"

namespace rep {

CompositeColumnLists::CompositeColumnLists() = default;

CompositeColumnLists::~CompositeColumnLists() {
  for (CharColumn* column : interpSlots) delete column;
}

void CompositeColumnLists::InstallInterpColumns() {
  for (size_t k = 0; k < leaves.size() && k < interpSlots.size(); ++k) {
    if (!interpSlots[k]) continue;
    if (leaves[k])
      leaves[k]->SetInterpColumn(interpSlots[k]);
    else
      delete interpSlots[k];
    interpSlots[k] = nullptr;
  }
}

CompositeTraceDataColumnValueCollector::CompositeTraceDataColumnValueCollector(CompositeColumnLists& lists)
    : m_lists(lists) {}

CompositeTraceDataColumnValueCollector::~CompositeTraceDataColumnValueCollector() = default;

void CompositeTraceDataColumnValueCollector::VisitLeaf(ITraceComponentData& leaf) {
  auto* tcd = dynamic_cast<TraceComponentData*>(&leaf);
  ORVEX_ASSERT(tcd);
  if (!tcd) return;
  m_lists.columns.push_back(tcd->GetDataColumn());
  m_lists.interpSlots.push_back(nullptr);
  m_lists.interpColumns.push_back(&m_lists.interpSlots.back());
  m_lists.leaves.push_back(tcd);
  m_lists.values.emplace_back(Units::kNoUnit);
  SetValueTextIfNotEmpty(m_lists.values.back(), tcd->GetExpression(), Units::kNoUnit);
}

void CompositeTraceDataColumnValueCollector::VisitComposite(ICompositeTraceComponentData& node) {
  auto* composite = dynamic_cast<CompositeTraceComponentData*>(&node);
  ORVEX_ASSERT(composite);
  if (!composite) return;
  for (unsigned i = 0; i < composite->GetNumChildren(); ++i)
    if (IBaseTraceComponentData* child = composite->GetChild(i)) child->Accept(*this);
}

void CompositeTraceDataColumnValueCollector::VisitOther(IBaseTraceComponentData& /*node*/) { ORVEX_ASSERT(0); }

}  // namespace rep
