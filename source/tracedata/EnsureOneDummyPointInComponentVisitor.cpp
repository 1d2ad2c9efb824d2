#include "tracedata/EnsureOneDummyPointInComponentVisitor.h"

#include "tracedata/BaseCompositeTraceData.h"
#include "tracedata/ComputedTraceDataSupport.h"
#include "tracedata/TraceComponentData.h"
#include "orvex/core/Assert.h"
#include "orvex/io/Block.h"

namespace rep {

EnsureOneDummyPointInComponentVisitor::EnsureOneDummyPointInComponentVisitor() = default;

EnsureOneDummyPointInComponentVisitor::~EnsureOneDummyPointInComponentVisitor() = default;

void EnsureOneDummyPointInComponentVisitor::VisitLeaf(ITraceComponentData& leaf) {
  EnsureOneDummyPoint(leaf.GetDataColumn());
}

void EnsureOneDummyPointInComponentVisitor::VisitComposite(ICompositeTraceComponentData& node) {
  auto* composite = dynamic_cast<CompositeTraceComponentData*>(&node);
  ORVEX_ASSERT(composite);
  if (!composite) return;
  for (unsigned i = 0; i < composite->GetNumChildren(); ++i) {
    IBaseTraceComponentData* child = composite->GetChild(i);
    if (!child) continue;
    EnsureOneDummyPointInComponentVisitor visitor;
    child->Accept(visitor);
  }
}

void EnsureOneDummyPointInComponentVisitor::VisitOther(IBaseTraceComponentData& /*node*/) { ORVEX_ASSERT(0); }

}  // namespace rep
