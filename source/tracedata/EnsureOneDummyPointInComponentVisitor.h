// Gives every leaf column of a component tree the placeholder point: exactly one invalid value.
#pragma once

#include "Gravik/ITraceComponentData.h"

namespace rep {

class EnsureOneDummyPointInComponentVisitor : public ITraceComponentDataNonConstVisitor {
public:
  EnsureOneDummyPointInComponentVisitor();
  ~EnsureOneDummyPointInComponentVisitor() override;

  void VisitComposite(ICompositeTraceComponentData& node) override;
  void VisitLeaf(ITraceComponentData& leaf) override;
  void VisitOther(IBaseTraceComponentData& node) override;
};

}  // namespace rep
